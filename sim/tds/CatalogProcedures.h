#pragma once

#include "sim/engine/Session.h"
#include "sim/tds/Requests.h"

namespace vantrok::sim::tds {

// sp_sproc_columns (and sp_sproc_columns_100, its form for the newer types),
// which TDS clients call for ODBC's SQLProcedureColumns.
bool isProcedureColumnsCall(const RpcCall& call);
// sp_stored_procedures, which they call for SQLProcedures.
bool isStoredProceduresCall(const RpcCall& call);

// Its result as SQL Server's catalog procedure lays it out (ODBC 2 names for
// the first columns, SS_DATA_TYPE last), from the session's description of
// the procedure; @column_name filters as LIKE does. Throws SimError.
ResultTable procedureColumnsReply(Session& session, const RpcCall& call);

// The procedures of the session's database whose name matches @sp_name (a
// LIKE pattern, all by default), in SQL Server's layout: PROCEDURE_QUALIFIER,
// PROCEDURE_OWNER, PROCEDURE_NAME ("name;1"), NUM_INPUT_PARAMS,
// NUM_OUTPUT_PARAMS, NUM_RESULT_SETS (each -1, which SQL Server reserves),
// REMARKS (NULL), PROCEDURE_TYPE (2).
ResultTable storedProceduresReply(const Session& session, const RpcCall& call);

}  // namespace vantrok::sim::tds
