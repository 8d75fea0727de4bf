#include "sim/engine/StationSession.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <charconv>
#include <filesystem>

#include "sim/engine/ProcedureColumns.h"
#include "sim/engine/SaleHold.h"
#include "sim/engine/ServerClock.h"
#include "sim/engine/Schema.h"
#include "sim/engine/SqlErrors.h"
#include "sim/engine/StationFiles.h"
#include "sim/engine/StatementRights.h"
#include "sim/engine/StatementTemplates.h"
#include "sim/engine/TextUtil.h"

namespace vantrok::sim {

namespace {

constexpr std::string_view builtinLogin = "sa";
constexpr std::string_view builtinPassword = "qolvent4719ruk";

// sa as ever, or one of the station's own logins (SQL Server authentication).
std::optional<LoginRights> logIn(const std::string& stationDir, const ConnectRequest& request) {
    if (equalsIgnoreCase(request.uid, builtinLogin))
        return request.password == builtinPassword ? std::optional(LoginRights::sysadmin(std::string(builtinLogin)))
                                                   : std::nullopt;
    try {
        return authenticate(stationDir, request.uid, request.password);
    } catch (const std::exception& e) {
        throw SimError{"HY000", 0, std::string("Station storage failed: ") + e.what()};
    }
}

bool isLocalServer(std::string_view server) {
    for (std::string_view local : {"(local)", "localhost", ".", "127.0.0.1"})
        if (equalsIgnoreCase(server, local)) return true;
    return false;
}

// SET LOCK_TIMEOUT's milliseconds: -1 (no limit) or more.
long lockTimeoutMilliseconds(const std::string& text) {
    long value = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc{} || parsed.ptr != text.data() + text.size() || value < -1) throw errors::syntax(text);
    return value;
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::unique_ptr<sqlite::Database> openDatabase(const std::string& stationDir, const std::string& database) {
    auto db = std::make_unique<sqlite::Database>(databaseFile(stationDir, database), false);
    // The controller's selections read the daily sales by their three-part name.
    if (database == controllerDatabase) {
        sqlite::Statement attach = db->prepare("ATTACH DATABASE ?1 AS torvane");
        attach.bind(1, databaseFile(stationDir, salesDatabase));
        attach.run();
    }
    return db;
}

// The folder itself, not a link to it: a connection stays with the station it
// opened even when a link is pointed elsewhere.
std::optional<std::string> stationFolder(const std::string& dir) {
    if (dir.empty()) return std::nullopt;
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::canonical(dir, ec);
    if (ec || !std::filesystem::is_directory(folder, ec)) return std::nullopt;
    return folder.string();
}

}  // namespace

std::unique_ptr<Session> Session::connect(const ConnectRequest& request) {
    std::optional<std::string> station = stationFolder(request.stationDir);
    if (!isLocalServer(request.server) || !station) throw errors::serverNotFound();
    if (readFaults(*station).refuseConnections) throw errors::serverNotFound();
    std::optional<LoginRights> rights = logIn(*station, request);
    if (!rights) throw errors::loginFailed(request.uid);
    std::optional<std::string> database = stationDatabase(request.database);
    if (!database || !exists(databaseFile(*station, *database)) || !rights->hasUser(*database))
        throw errors::cannotOpenDatabase(request.database);
    try {
        return std::make_unique<StationSession>(*station, *database, std::move(*rights));
    } catch (const sqlite::Error& e) {
        throw errors::storage(e);
    }
}

StationSession::StationSession(std::string stationDir, std::string database, LoginRights rights)
    : stationDir_(std::move(stationDir)),
      database_(std::move(database)),
      rights_(std::move(rights)),
      lenient_(isLenientStation(stationDir_)),
      faults_(stationDir_),
      openedAtGeneration_(faults_.current().breakGeneration),
      log_(stationDir_),
      db_(openDatabase(stationDir_, database_)),
      selections_(*db_),
      invoiceNumbers_(*db_),
      fuelTypes_(*db_),
      reconciliationReads_(*db_),
      carryStatements_(*db_),
      salesLock_(stationDir_),
      dailySale_(*db_),
      backup_(*db_, stationDir_) {}

const FaultState& StationSession::checkLink() {
    const FaultState& faults = faults_.current();
    if (faults.breakGeneration > openedAtGeneration_) broken_ = true;
    if (broken_) {
        // The server has lost this connection: what it had open is undone.
        if (inTransaction_) endTransaction(false);
        throw errors::communicationLink();
    }
    return faults;
}

bool StationSession::holdsProcedures() const { return database_ == salesDatabase; }

Outcome StationSession::execute(std::string_view sql, const std::vector<ParamValue>& params,
                                std::chrono::seconds timeout) {
    const FaultState& faults = checkLink();
    log_.append(database_, sql);
    try {
        if (auto statement = parseSessionStatement(sql)) return answer(*statement);
        if (auto procedure = parseProcedureCall(sql)) return call(*procedure, sql, params, timeout, faults);
        TemplateMatch match = matchStatement(sql);
        if (!match.statement) throw errors::syntax(match.near);
        // A SELECT that reads no table opens no implicit transaction, nor does a SET.
        if (match.statement->kind == StatementKind::ServerClock) return Outcome::rows(serverClock(faults.clock));
        if (match.statement->kind != StatementKind::SetLockTimeout) beginImplicitly();
        return answer(*match.statement, timeout);
    } catch (const sqlite::Error& e) {
        throw errors::storage(e);
    }
}

Outcome StationSession::answer(const MatchedStatement& statement, std::chrono::seconds timeout) {
    requireStatementRights(rights_, statement.kind, database_);
    switch (statement.kind) {
    case StatementKind::DeliveriesCompleted: return Outcome::rows(selections_.run(statement));
    case StatementKind::FuelType: return Outcome::rows(fuelTypes_.run(statement));
    case StatementKind::ReadingsBefore:
    case StatementKind::HoseFuelTypes: return Outcome::rows(reconciliationReads_.run(statement));
    case StatementKind::SalesLockCount:
        return carryStatements_.lockAndCount(statement, salesLock_, inTransaction_, timeout, cancelWait_);
    case StatementKind::SnapshotSetting: return Outcome::rows(snapshotSetting(statement.literals[0]));
    case StatementKind::SetLockTimeout:
        salesLock_.setWaitLimit(std::chrono::milliseconds(lockTimeoutMilliseconds(statement.literals[0])));
        return Outcome();
    default: break;
    }
    // The others read or write the daily sales, the selections by their three-part name.
    const SharedForStatement hold(salesLock_, timeout, cancelWait_);
    switch (statement.kind) {
    case StatementKind::InvoiceNumber: return Outcome::rows(invoiceNumbers_.run(statement));
    case StatementKind::DailySales:
    case StatementKind::LastSale: return Outcome::rows(reconciliationReads_.run(statement));
    case StatementKind::SaleRenumbering: return carryStatements_.renumber(statement);
    default: return Outcome::rows(selections_.run(statement));
    }
}

void StationSession::beginImplicitly() {
    if (implicit_ && !inTransaction_) beginTransaction();
}

Outcome StationSession::answer(const SessionStatement& statement) {
    using Kind = SessionStatement::Kind;
    switch (statement.kind) {
    case Kind::TransactionCount: {
        ResultTable table;
        table.columns = {{"", SqlType::Int, 10, 0, false}};
        table.rows.push_back({std::to_string(transactionCount())});
        return Outcome::rows(std::move(table));
    }
    case Kind::Version: {
        ResultTable table;
        table.columns = {{"", SqlType::VarChar, 300, 0, true}};
        table.rows.push_back({std::string(serverVersionText())});
        return Outcome::rows(std::move(table));
    }
    case Kind::BeginTransaction:
        if (inTransaction_) {
            ++nested_;
        } else {
            beginTransaction();
            transactionName_ = statement.transactionName;
            // The BEGIN itself opens the implicit one, and its own inside it.
            if (implicit_) nested_ = 1;
        }
        return {};
    case Kind::Commit:
    case Kind::Rollback: {
        const bool commit = statement.kind == Kind::Commit;
        if (!inTransaction_) {
            if (statement.onlyInTransaction) return {};
            throw errors::noTransaction(commit);
        }
        // Transaction names are case-sensitive; a commit's name is not checked.
        if (!commit && !statement.transactionName.empty() && statement.transactionName != transactionName_)
            throw errors::noTransactionNamed(statement.transactionName);
        if (commit && nested_ > 0) {
            --nested_;
        } else {
            endTransaction(commit);
        }
        return {};
    }
    }
    return {};
}

// sys.databases' row of a database of the station: READ_COMMITTED_SNAPSHOT
// is on for the sales database where the station says so.
ResultTable StationSession::snapshotSetting(const std::string& name) const {
    ResultTable table;
    table.columns = {{"", SqlType::Int, 10, 0, true}};
    if (const std::optional<std::string> database = stationDatabase(name))
        table.rows.push_back({*database == salesDatabase && salesReadCommittedSnapshot(stationDir_) ? "1" : "0"});
    return table;
}

void StationSession::beginTransaction() {
    checkLink();
    if (inTransaction_) throw SimError{"25000", 0, "A transaction is already open on this connection"};
    try {
        db_->exec("BEGIN");
    } catch (const sqlite::Error& e) {
        throw errors::storage(e);
    }
    inTransaction_ = true;
}

void StationSession::endTransaction(bool commit) {
    if (!inTransaction_) return;
    inTransaction_ = false;
    nested_ = 0;
    transactionName_.clear();
    // SQLite may have undone it on its own after a failed statement.
    const bool stillOpen = sqlite3_get_autocommit(db_->handle()) == 0;
    try {
        if (stillOpen) db_->exec(commit ? "COMMIT" : "ROLLBACK");
    } catch (const sqlite::Error& e) {
        if (sqlite3_get_autocommit(db_->handle()) == 0) db_->exec("ROLLBACK");
        salesLock_.release();
        throw errors::storage(e);
    }
    salesLock_.release();
    if (commit && !stillOpen) throw SimError{"25000", 3902, "The transaction was rolled back after an error."};
}

Outcome StationSession::call(const ProcedureCall& procedure, std::string_view sql, const std::vector<ParamValue>& params,
                             std::chrono::seconds timeout, const FaultState& faults) {
    std::size_t expected = procedure.markers + (procedure.returnsValue ? 1 : 0);
    if (params.size() != expected) throw SimError{"07002", 0, "COUNT field incorrect or syntax error"};
    const bool dailySale = holdsProcedures() && equalsIgnoreCase(procedure.name, dailySaleProcedure);
    const bool backup = holdsProcedures() && equalsIgnoreCase(procedure.name, backupProcedure);
    if (!dailySale && !backup) throw errors::procedureNotFound(procedure.name);
    if (backup && procedure.markers > 0) throw errors::tooManyArguments(backupProcedure);
    // The procedures own their tables: EXECUTE is all a caller needs.
    rights_.require(Permission::Execute, database_, dailySale ? dailySaleProcedure : backupProcedure);
    beginImplicitly();
    Outcome outcome;
    if (dailySale) {
        std::vector<ParamValue> arguments(params.begin() + (procedure.returnsValue ? 1 : 0), params.end());
        outcome = writeDailySale(arguments, faults.procFails, timeout);
    } else {
        outcome = runBackup(sql, faults, timeout);
    }
    if (procedure.returnsValue) outcome.returning(0);
    return outcome;
}

// The procedure updates the sale of its voucher number and inserts one when
// there is none. Without SET NOCOUNT ON each of its statements is a result of
// its own: for a new voucher the update's count of 0 comes first, and the
// insert runs only once the client reads on.
Outcome StationSession::writeDailySale(const std::vector<ParamValue>& arguments, bool refuse,
                                       std::chrono::seconds timeout) {
    std::vector<Cell> values = dailySale_.convert(arguments);
    long updated = 0;
    if (!lenient_ && !refuse) {
        const SharedForStatement hold(salesLock_, timeout, cancelWait_);
        updated = dailySale_.update(values);
    }
    if (updated > 0) {
        backup_.salesChanged();
        return Outcome::count(updated, StatementCommand::Update);
    }
    auto store = [this, refuse, timeout, values = std::move(values)]() -> std::vector<StatementResult> {
        checkLink();
        if (refuse) throw errors::raised("INS_UPD_D17_DailySale1: the daily sale was refused.");
        {
            const SharedForStatement hold(salesLock_, timeout, cancelWait_);
            dailySale_.insert(values);
            backup_.salesChanged();
        }
        // The statement is over and its lock released; only the reply waits.
        holdAfterSale(stationDir_, faults_.current());
        return {{std::nullopt, 1, StatementCommand::Insert}};
    };
    if (lenient_) return Outcome::count(store().front().rowCount, StatementCommand::Insert);
    return std::move(Outcome::count(0, StatementCommand::Update).then(std::move(store)));
}

// The backup procedure reports what it is about to copy as a row set, then
// copies. A client that stops reading at the row set stops the procedure
// before its copy, as SQL Server does on a cancel; the log says so.
Outcome StationSession::runBackup(std::string_view sql, const FaultState& faults, std::chrono::seconds timeout) {
    auto copy = [this, faults, timeout, text = std::string(sql)]() -> std::vector<StatementResult> {
        checkLink();
        const SharedForStatement hold(salesLock_, timeout, cancelWait_);
        if (!backup_.run(faults, timeout, cancelWait_)) {
            log_.append(database_, cancelledLogText(text));
            throw errors::cancelled();
        }
        return {};
    };
    if (lenient_) {
        copy();
        return {};
    }
    Outcome outcome = [&] {
        const SharedForStatement hold(salesLock_, timeout, cancelWait_);
        return Outcome::rows(backup_.plan());
    }();
    outcome.then(std::move(copy));
    outcome.onAbandon([this, text = std::string(sql)] { log_.append(database_, cancelledLogText(text)); });
    return outcome;
}

ResultTable StationSession::procedureColumns(std::string_view procedureName) {
    checkLink();
    log_.append(database_, procedureColumnsLogText(procedureName));
    // A login sees only the procedures it holds a right on.
    const bool visible = rights_.has(Permission::Execute, database_, dailySaleProcedure);
    return procedureColumnsResult(procedureName, database_, holdsProcedures() && visible);
}

}  // namespace vantrok::sim
