#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/tds/WireTypes.h"

namespace vantrok::sim::tds {

// The statement text of a SQL batch ([MS-TDS] 2.2.6.7).
std::string parseSqlBatch(std::string_view data);

struct RpcParameter {
    std::string name;  // "@name", or empty for a positional one
    bool output = false;
    WireValue value;
};

// One call of an RPC request ([MS-TDS] 2.2.6.6): the procedure by name (a
// well-known procedure given by number gets its name), its parameters in order.
struct RpcCall {
    std::string procedure;
    std::vector<RpcParameter> parameters;
};

// The calls of one request; throws ProtocolError on one it cannot read.
std::vector<RpcCall> parseRpcRequest(std::string_view data);

// A transaction manager request ([MS-TDS] 2.2.6.9) of the kinds a driver
// sends for its auto-commit mode: begin, or commit or roll back, after which
// another transaction may begin at once.
struct TransactionRequest {
    enum class Kind { Begin, Commit, Rollback } kind = Kind::Begin;
    bool beginAnother = false;
};

// Throws ProtocolError for another kind (distributed transactions) or a malformed one.
TransactionRequest parseTransactionRequest(std::string_view data);

}  // namespace vantrok::sim::tds
