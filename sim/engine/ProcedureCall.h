#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantrok::sim {

// A procedure call through ODBC's escape, "{call P(?,?)}" or "{? = call P(?)}",
// or as "EXEC P ?,?"; only parameter markers as arguments.
struct ProcedureCall {
    std::string name;  // without a schema prefix
    bool returnsValue = false;
    std::size_t markers = 0;  // arguments, the return value not counted
};

std::optional<ProcedureCall> parseProcedureCall(std::string_view sql);

}  // namespace vantrok::sim
