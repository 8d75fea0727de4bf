#include "sim/tds/Conversation.h"

#include <unistd.h>

#include <algorithm>

#include "sim/engine/Faults.h"
#include "sim/engine/SessionStatements.h"
#include "sim/engine/SqlErrors.h"
#include "sim/tds/ProcedureArguments.h"
#include "sim/tds/CatalogProcedures.h"
#include "sim/tds/EncryptionSetting.h"
#include "sim/tds/Login.h"
#include "sim/tds/LoginLog.h"
#include "sim/tds/SessionSettings.h"
#include "sim/tds/WireTypes.h"

namespace vantrok::sim::tds {

namespace {

using tokens::DoneKind;
using tokens::ServerMessage;
namespace done = tokens::done;

// The TDS versions of LOGIN7 this server answers in kind ([MS-TDS] 2.2.6.4):
// 7.2 and later, whose DONE tokens carry 8-byte counts.
constexpr std::uint32_t oldestVersion = 0x72090002;
constexpr std::uint32_t newestVersion = 0x74000004;

// The link breaks under the client: the connection ends with a reset.
struct BrokenLink {};

// The client's attention stopped the request where it was.
struct Interrupted {};

std::uint8_t severity(const SimError& e) {
    switch (e.nativeError) {
    case 18456: return 14;
    case 4060: return 11;
    case 102: return 15;
    default: return 16;
    }
}

ServerMessage errorMessage(const SimError& e) {
    ServerMessage m;
    m.number = static_cast<std::int32_t>(e.nativeError);
    m.severity = severity(e);
    m.text = e.message;
    return m;
}

// A request the server cannot take is refused, as SQL Server refuses a
// malformed RPC or batch, instead of closing the connection.
ServerMessage protocolMessage(const std::string& what) {
    return {8009, 1, 16, "The incoming tabular data stream (TDS) protocol stream is incorrect: " + what + ".", "", 1};
}

ServerMessage protocolMessage(const ProtocolError& e) {
    if (e.number != 8009) return {e.number, 1, 16, e.what(), "", 1};
    return protocolMessage(std::string(e.what()));
}

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

std::string callText(const std::string& procedure, std::size_t arguments) {
    std::string text = "{? = call " + procedure;
    for (std::size_t i = 0; i < arguments; ++i) text += i == 0 ? "(?" : ",?";
    if (arguments > 0) text += ")";
    return text + "}";
}

// A DONE token held back until it is known whether more results follow.
struct HeldDone {
    DoneKind kind;
    std::uint16_t status;
    std::uint64_t count;
    std::uint16_t command = tokens::command::select;
};

std::uint16_t commandOf(StatementCommand command) {
    switch (command) {
    case StatementCommand::Insert: return tokens::command::insert;
    case StatementCommand::Update: return tokens::command::update;
    case StatementCommand::Delete: return tokens::command::remove;
    case StatementCommand::Select: break;
    }
    return tokens::command::select;
}

}  // namespace

Conversation::Conversation(int socket, std::uint16_t spid, std::string stationDir, const TlsContext& tls)
    : channel_(socket, spid), tls_(tls), stationDir_(std::move(stationDir)), serverName_(hostName()), log_(stationDir_) {}

void Conversation::run() {
    // A server that refuses connections does not complete them.
    if (readFaults(stationDir_).refuseConnections) return channel_.reset();
    try {
        // Anything but a PRELOGIN first, a TDS 8 client's TLS ClientHello
        // included, ends the connection unanswered ([MS-TDS] 3.3.5.1).
        std::optional<Message> first = channel_.read(PacketType::PreLogin);
        if (!first) return;
        preLogin(*first);
        while (std::optional<Message> message = channel_.read()) {
            cancelled_ = false;
            committing_ = false;
            if (message->resetConnection && session_) resetSession(message->keepTransaction);
            try {
                switch (message->type) {
                case PacketType::Login7:
                    if (!login(*message)) return;
                    break;
                case PacketType::SqlBatch: sqlBatch(*message); break;
                case PacketType::Rpc: rpc(*message); break;
                case PacketType::TransactionManager: transactionRequest(*message); break;
                case PacketType::Attention: acknowledgeAttention(); break;
                default:
                    refuse(protocolMessage("a request of type " + std::to_string(static_cast<int>(message->type)) +
                                           ", which this server does not take"));
                }
            } catch (const Interrupted&) {
                // The interrupted reply ends with what it holds (nothing, when
                // it was still waiting), and the acknowledgement follows as a
                // message of its own: clients read the one, then wait for the other.
                channel_.flush(true);
                acknowledgeAttention();
            }
        }
    } catch (const BrokenLink&) {
        channel_.reset();
    } catch (const ProtocolError&) {
        // The client is gone or its packets cannot be read: nothing to answer.
    } catch (const std::exception&) {
        // A fault of the server's own, as SQL Server's of severity 20 and
        // above: this connection ends, the others go on.
        channel_.reset();
    }
}

void Conversation::preLogin(const Message& message) {
    PreLoginAnswer answer;
    try {
        answer = answerPreLogin(message.data, readEncryptionPolicy(stationDir_));
    } catch (const ProtocolError& e) {
        refuse(protocolMessage(e));
        throw;
    }
    channel_.write(answer.reply);
    channel_.flush(true);
    // Where encryption was agreed only a handshake may follow: a login in
    // clear ends the connection.
    if (answer.protection != Protection::None) channel_.secure(tls_, answer.protection);
}


bool Conversation::login(const Message& message) {
    Login7 request;
    try {
        request = parseLogin7(message.data);
    } catch (const ProtocolError& e) {
        refuse(protocolMessage(e));
        return false;
    }
    if (request.tdsVersion < oldestVersion) {
        refuse(protocolMessage("a login of a TDS version older than 7.2, which this server does not speak"));
        return false;
    }
    if (request.packetSize != 0) channel_.setPacketSize(request.packetSize);
    try {
        // The client reached this server by its address; the name it used is its own business.
        login_ = {stationDir_, "127.0.0.1", request.userName, request.password, request.database};
        session_ = Session::connect(login_);
    } catch (const SimError& e) {
        if (e.sqlstate == "08001") {
            channel_.reset();
            return false;
        }
        refuse(errorMessage(e));
        return false;
    }
    session_->setCancelWait([this](std::chrono::milliseconds wait) { return cancelWait(wait); });
    const std::string& database = session_->database();
    login_.database = database;
    const std::string packetSize = std::to_string(channel_.packetSize());
    ByteWriter out;
    tokens::environmentChange(out, 1, database, "master");
    tokens::message(out, {5701, 2, 0, "Changed database context to '" + database + "'.", "", 1}, serverName_);
    tokens::collationChange(out);
    tokens::environmentChange(out, 2, "us_english", "");
    tokens::message(out, {5703, 1, 0, "Changed language setting to us_english.", "", 1}, serverName_);
    tokens::loginAck(out, std::min(request.tdsVersion, newestVersion));
    tokens::environmentChange(out, 4, packetSize, packetSize);
    tokens::doneToken(out, DoneKind::Done, done::final, 0);
    // Recorded before the client hears of it, so what it reads next is there.
    recordLogin(stationDir_, database, request.userName, channel_.protection());
    channel_.write(out.bytes());
    channel_.flush(true);
    return true;
}

void Conversation::refuse(const ServerMessage& error) {
    ByteWriter out;
    noteTransaction(out);
    tokens::message(out, error, serverName_);
    tokens::doneToken(out, DoneKind::Done, done::error, 0);
    channel_.write(out.bytes());
    channel_.flush(true);
}

void Conversation::sqlBatch(const Message& message) {
    if (!session_) return refuse(protocolMessage("a SQL batch before the login"));
    std::string sql;
    try {
        sql = parseSqlBatch(message.data);
    } catch (const ProtocolError& e) {
        return refuse(protocolMessage(e));
    }
    if (std::optional<SessionSetting> setting = parseSessionSettings(sql)) {
        log_.append(session_->database(), sessionSettingLogText(*setting));
        if (setting->implicitTransactions) session_->setImplicitTransactions(*setting->implicitTransactions);
        ByteWriter out;
        tokens::doneToken(out, DoneKind::Done, done::final, 0);
        channel_.write(out.bytes());
        return channel_.flush(true);
    }
    if (std::optional<std::string> database = parseUseDatabase(sql)) return useDatabase(*database);
    const std::optional<SessionStatement> statement = parseSessionStatement(sql);
    committing_ = statement && statement->kind == SessionStatement::Kind::Commit;
    try {
        reply(session_->execute(sql, {}, std::chrono::seconds(0)), false);
    } catch (const SimError& e) {
        if (e.sqlstate == "08S01") throw BrokenLink{};
        // Cancelled while it waited for a lock: the cancel is what is answered.
        if (cancelled_) throw Interrupted{};
        return refuse(errorMessage(e));
    }
    channel_.flush(true);
}

void Conversation::transactionRequest(const Message& message) {
    if (!session_) return refuse(protocolMessage("a transaction request before the login"));
    TransactionRequest request;
    try {
        request = parseTransactionRequest(message.data);
    } catch (const ProtocolError& e) {
        return refuse(protocolMessage(e));
    }
    ByteWriter out;
    try {
        if (request.kind != TransactionRequest::Kind::Begin) {
            const bool commit = request.kind == TransactionRequest::Kind::Commit;
            if (!session_->inTransaction()) throw errors::noTransaction(commit);
            session_->endTransaction(commit);
            tokens::transactionChange(out, commit ? 9 : 10, lastTransaction_);
            transactionOpen_ = false;
        }
        if (request.kind == TransactionRequest::Kind::Begin || request.beginAnother) {
            session_->beginTransaction();
            tokens::transactionChange(out, 8, ++lastTransaction_);
            transactionOpen_ = true;
        }
    } catch (const SimError& e) {
        if (e.sqlstate == "08S01") throw BrokenLink{};
        noteTransaction(out);
        tokens::message(out, errorMessage(e), serverName_);
        tokens::doneToken(out, DoneKind::Done, done::error, 0);
        channel_.write(out.bytes());
        return channel_.flush(true);
    }
    tokens::doneToken(out, DoneKind::Done, done::final, 0);
    channel_.write(out.bytes());
    channel_.flush(true);
}

void Conversation::rpc(const Message& message) {
    if (!session_) return refuse(protocolMessage("an RPC before the login"));
    std::vector<RpcCall> calls;
    try {
        calls = parseRpcRequest(message.data);
    } catch (const ProtocolError& e) {
        return refuse(protocolMessage(e));
    }
    for (const RpcCall& call : calls) {
        try {
            if (isProcedureColumnsCall(call) || isStoredProceduresCall(call)) {
                Outcome outcome = Outcome::rows(isStoredProceduresCall(call) ? storedProceduresReply(*session_, call)
                                                                             : procedureColumnsReply(*session_, call));
                reply(std::move(outcome.returning(0)), true);
                continue;
            }
            if (std::optional<StatementCall> statement = prepared_.take(call)) {
                Outcome outcome;
                if (statement->sql) outcome = session_->execute(*statement->sql, statement->values, std::chrono::seconds(0));
                reply(std::move(outcome.returning(0)), true, &*statement);
                continue;
            }
            auto output = std::find_if(call.parameters.begin(), call.parameters.end(),
                                       [](const RpcParameter& p) { return p.output; });
            if (output != call.parameters.end())
                throw SimError{"42000", 8162,
                               "The formal parameter \"" + output->name +
                                   "\" was not declared as an OUTPUT parameter, but the actual parameter passed in "
                                   "requested output."};
            // The engine takes a procedure call as ODBC's escape with its
            // return value first, which an RPC always has.
            std::vector<ParamValue> values{ParamValue{std::nullopt, SqlType::Int}};
            for (ParamValue& value : argumentsInDeclaredOrder(call, declaredParameters(*session_, call.procedure)))
                values.push_back(std::move(value));
            reply(session_->execute(callText(call.procedure, values.size() - 1), values, std::chrono::seconds(0)), true);
        } catch (const SimError& e) {
            if (e.sqlstate == "08S01") throw BrokenLink{};
            if (cancelled_) throw Interrupted{};
            ByteWriter out;
            noteTransaction(out);
            tokens::message(out, errorMessage(e), serverName_);
            tokens::doneToken(out, DoneKind::DoneProc, done::error, 0);
            channel_.write(out.bytes());
        }
    }
    // One reply for the whole request, however many calls it carried.
    channel_.flush(true);
}

void Conversation::reply(Outcome outcome, bool procedure, const StatementCall* statement) {
    const DoneKind kind = procedure ? DoneKind::DoneInProc : DoneKind::Done;
    ByteWriter out;
    std::optional<HeldDone> held;
    auto release = [&](bool more) {
        if (held) tokens::doneToken(out, held->kind, static_cast<std::uint16_t>(held->status | (more ? done::more : 0)),
                                    held->count, held->command);
        held.reset();
    };
    noteTransaction(out);
    for (;;) {
        // The channel sends each packet as it fills, and holds the rest.
        channel_.write(out.bytes());
        out.bytes().clear();
        // A cancel between two results stops the statement there.
        if (cancelled_ || channel_.attentionArrived(std::chrono::milliseconds(0))) {
            outcome.abandon();
            throw Interrupted{};
        }
        std::optional<StatementResult> result;
        try {
            result = outcome.next();
        } catch (const SimError& e) {
            if (cancelled_) continue;
            if (e.sqlstate == "08S01") throw BrokenLink{};
            release(true);
            tokens::message(out, errorMessage(e), serverName_);
            held = HeldDone{kind, done::error, 0};
            continue;
        }
        if (!result) break;
        release(true);
        if (result->table) {
            for (std::size_t i = 0; i < result->table->columns.size(); ++i)
                widenToFit(result->table->columns[i], result->table->rows, i);
            tokens::columnMetadata(out, result->table->columns);
            for (const Row& row : result->table->rows) tokens::row(out, result->table->columns, row);
            held = HeldDone{kind, done::count, result->table->rows.size()};
        } else {
            held = HeldDone{kind, done::count, static_cast<std::uint64_t>(std::max(result->rowCount, 0L)),
                            commandOf(result->command)};
        }
    }
    noteTransaction(out);
    if (std::optional<long> value = outcome.returnValue()) {
        release(true);
        tokens::returnStatus(out, static_cast<std::int32_t>(*value));
        if (statement && statement->newHandle) tokens::returnValue(out, 0, "@handle", *statement->newHandle);
        if (statement)
            for (const StatementCall::Output& output : statement->outputs)
                tokens::returnValue(out, output.ordinal, output.name, output.value.typeInfo, output.value.valueBytes);
        tokens::doneToken(out, procedure ? DoneKind::DoneProc : DoneKind::Done, done::final, 0);
    } else if (held) {
        if (held->kind == DoneKind::DoneInProc) held->kind = DoneKind::DoneProc;
        release(false);
    } else {
        tokens::doneToken(out, procedure ? DoneKind::DoneProc : DoneKind::Done, done::final, 0);
    }
    channel_.write(out.bytes());
}

void Conversation::noteTransaction(ByteWriter& out) {
    const bool open = session_ && session_->inTransaction();
    if (open == transactionOpen_) return;
    if (open) tokens::transactionChange(out, 8, ++lastTransaction_);
    else tokens::transactionChange(out, committing_ ? 9 : 10, lastTransaction_);
    transactionOpen_ = open;
}

void Conversation::resetSession(bool keepTransaction) {
    if (!keepTransaction) session_->endTransaction(false);
    session_->setImplicitTransactions(false);
    ByteWriter out;
    tokens::resetConnectionAck(out);
    noteTransaction(out);
    channel_.write(out.bytes());
    // The login's database again; a kept transaction keeps its database.
    if (session_->database() != login_.database && !session_->inTransaction()) {
        session_ = Session::connect(login_);
        session_->setCancelWait([this](std::chrono::milliseconds wait) { return cancelWait(wait); });
    }
}

void Conversation::useDatabase(const std::string& name) {
    const std::string old = session_->database();
    try {
        std::unique_ptr<Session> next = Session::connect({login_.stationDir, login_.server, login_.uid, login_.password, name});
        if (next->database() != old) {
            // This station keeps a session per database: switching would drop
            // the open transaction, so it refuses instead.
            if (session_->inTransaction())
                throw SimError{"25000", 226, "USE statement not allowed within multi-statement transaction."};
            next->setCancelWait([this](std::chrono::milliseconds wait) { return cancelWait(wait); });
            next->setImplicitTransactions(session_->implicitTransactions());
            session_ = std::move(next);
        }
    } catch (const SimError& e) {
        if (e.nativeError != 4060) return refuse(errorMessage(e));
        return refuse({911, 1, 16, "Database '" + name + "' does not exist. Make sure that the name is entered correctly.", "", 1});
    }
    log_.append(old, sessionSettingLogText({"use " + name, std::nullopt}));
    const std::string& database = session_->database();
    ByteWriter out;
    tokens::environmentChange(out, 1, database, old);
    tokens::message(out, {5701, 2, 0, "Changed database context to '" + database + "'.", "", 1}, serverName_);
    tokens::doneToken(out, DoneKind::Done, done::final, 0);
    channel_.write(out.bytes());
    channel_.flush(true);
}

void Conversation::acknowledgeAttention() {
    ByteWriter out;
    tokens::doneToken(out, DoneKind::Done, done::attention, 0);
    channel_.write(out.bytes());
    channel_.flush(true);
}

bool Conversation::cancelWait(std::chrono::milliseconds wait) {
    if (channel_.attentionArrived(wait)) cancelled_ = true;
    return cancelled_;
}

}  // namespace vantrok::sim::tds
