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
    // Sends the results of one execution as they come; `procedure`: the
    // statements are inside a procedure called by RPC.
    // `handle`: the output parameter of sp_prepare and sp_prepexec.
    void reply(Outcome outcome, bool procedure, std::optional<std::int32_t> handle = std::nullopt);
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
};

}  // namespace vantrok::sim::tds
