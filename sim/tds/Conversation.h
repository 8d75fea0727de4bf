#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "sim/engine/Session.h"
#include "sim/engine/StatementLog.h"
#include "sim/tds/Channel.h"
#include "sim/tds/PreparedStatements.h"
#include "sim/tds/Requests.h"
#include "sim/tds/Tls.h"
#include "sim/tds/Tokens.h"

namespace vantrok::sim::tds {

// One client's connection, from its pre-login to its end: logs in to the
// station as a session of the engine and answers its requests in order.
class Conversation {
public:
    // `tls`: the endpoint's certificate, for the clients that encrypt; it outlives the conversation.
    Conversation(int socket, std::uint16_t spid, std::string stationDir, const TlsContext& tls);

    // Serves the client until it leaves, its link breaks or shutdown().
    void run();
    // Ends run() from another thread.
    void shutdown() { channel_.shutdown(); }

private:
    void preLogin(const Message& message);
    bool login(const Message& message);
    void sqlBatch(const Message& message);
    void rpc(const Message& message);
    void transactionRequest(const Message& message);
    void refuse(const tokens::ServerMessage& error);
    // The session back as it was after the login ([MS-TDS] 2.2.3.1.2).
    void resetSession(bool keepTransaction);
    void useDatabase(const std::string& name);
    // Tells the client of a transaction its last request began or ended
    // (ENVCHANGE 8, 9 or 10).
    void noteTransaction(ByteWriter& out);
    // Adds the results of one execution to the request's reply, which the
    // request ends; `procedure`: the statements are inside a procedure called
    // by RPC. `statement`: a call of the statement procedures, with the
    // handle of sp_prepare and sp_prepexec and the output parameters to
    // return. Throws Interrupted when the client's attention stops it.
    void reply(Outcome outcome, bool procedure, const StatementCall* statement = nullptr);
    void acknowledgeAttention();
    bool cancelWait(std::chrono::milliseconds wait);

    Channel channel_;
    const TlsContext& tls_;
    std::string stationDir_;
    std::string serverName_;
    std::unique_ptr<Session> session_;
    PreparedStatements prepared_;
    StatementLog log_;
    bool cancelled_ = false;
    std::uint64_t lastTransaction_ = 0;  // its descriptor; the next one counts on
    bool transactionOpen_ = false;       // as the client was last told
    bool committing_ = false;            // the request is a COMMIT statement
    ConnectRequest login_;               // with the login's database
};

}  // namespace vantrok::sim::tds
