#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/engine/Session.h"
#include "sim/tds/Requests.h"

namespace vantrok::sim::tds {

// The parameter names a procedure of the session's database declares, in
// order ("@Delivery_ID", ...); none for a procedure the database lacks.
std::vector<std::string> declaredParameters(const Session& session, std::string_view procedure);

// An RPC call's values in the procedure's declared order. As SQL Server
// binds them: positional values first, then "@name = value" in any order,
// names matched without regard to case. With nothing declared the values
// stay as sent, for the engine to refuse the call. Throws SimError: 119 (a
// positional value after a named one), 8145 (an unknown name), 8143 (a name
// twice), 201 (a declared parameter without a value), 8144 (too many).
std::vector<ParamValue> argumentsInDeclaredOrder(const RpcCall& call, const std::vector<std::string>& declared);

}  // namespace vantrok::sim::tds
