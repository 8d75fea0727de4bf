#pragma once

#include <cstddef>

#include "sim/driver/Diagnostics.h"
#include "sim/driver/OdbcApi.h"
#include "sim/engine/Session.h"

namespace vantrok::sim::driver {

// How much of one cell the client has already taken (SQLGetData delivers long
// text in pieces over repeated calls).
struct ReadState {
    std::size_t offset = 0;  // bytes of the character form already delivered
    bool done = false;       // nothing left: the next call gets SQL_NO_DATA
};

// A client buffer: SQLGetData's arguments or a column bound with SQLBindCol.
struct CellTarget {
    SQLSMALLINT cType = SQL_C_DEFAULT;
    SQLPOINTER buffer = nullptr;
    SQLLEN bufferLength = 0;
    SQLLEN* indicator = nullptr;
};

// The C type SQL_C_DEFAULT stands for with a column of this type.
SQLSMALLINT defaultCType(SqlType type);

// C types the driver converts to and from (SQL_C_DEFAULT included).
bool supportedCType(SQLSMALLINT cType);

// Delivers a cell's text form (as the engine gives it) into the client's
// buffer, converted to the buffer's C type as SQL Server's driver converts.
// Returns SQL_SUCCESS or SQL_NO_DATA (all of the cell already delivered);
// warnings (01004 truncation, 01S07 fractional truncation) are added to
// diagnostics; failures throw DriverError (22002, 22003, 22018, 07006, HY003...).
SQLRETURN readCell(const Cell& cell, const ResultColumn& column, const CellTarget& target,
                   ReadState& state, Diagnostics& diagnostics);

}  // namespace vantrok::sim::driver
