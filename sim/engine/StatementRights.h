#pragma once

#include <string_view>

#include "sim/engine/Logins.h"
#include "sim/engine/StatementTemplates.h"

namespace vantrok::sim {

// Checks the object permissions a statement needs, in the order the server
// meets its objects, for a connection to the given database. An object the
// database does not hold is left to fail as an invalid object when it runs.
// Throws SimError 916 or 229.
void requireStatementRights(const LoginRights& rights, StatementKind kind, std::string_view database);

}  // namespace vantrok::sim
