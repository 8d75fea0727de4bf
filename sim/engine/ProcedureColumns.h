#pragma once

#include <string_view>

#include "sim/engine/Session.h"

namespace vantrok::sim {

// The SQLProcedureColumns result for a procedure name pattern (% and _ as in
// LIKE, case-insensitive): the 19 ODBC columns, one row per parameter of the
// daily-sale procedure with the return value first; no rows for any other name
// or when the database holds no procedures.
// LIKE as SQL Server matches a catalog pattern: % and _, case-insensitive.
bool likeMatches(std::string_view pattern, std::string_view text);

ResultTable procedureColumnsResult(std::string_view pattern, std::string_view database, bool databaseHasProcedures);

}  // namespace vantrok::sim
