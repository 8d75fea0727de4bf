#pragma once

#include "sim/engine/Session.h"
#include "sim/tds/Requests.h"

namespace vantrok::sim::tds {

// sp_sproc_columns, which TDS clients call for ODBC's SQLProcedureColumns.
bool isProcedureColumnsCall(const RpcCall& call);

// Its result as SQL Server's catalog procedure lays it out (ODBC 2 names for
// the first columns, SS_DATA_TYPE last), from the session's description of
// the procedure; @column_name filters as LIKE does. Throws SimError.
ResultTable procedureColumnsReply(Session& session, const RpcCall& call);

}  // namespace vantrok::sim::tds
