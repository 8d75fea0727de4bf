#pragma once

#include <optional>

#include "sim/driver/Diagnostics.h"
#include "sim/driver/OdbcApi.h"
#include "sim/engine/Session.h"

namespace vantrok::sim::driver {

// One parameter as SQLBindParameter gave it.
struct ParameterBinding {
    SQLSMALLINT ioType = SQL_PARAM_INPUT;
    SQLSMALLINT cType = SQL_C_DEFAULT;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN columnSize = 0;
    SQLSMALLINT decimalDigits = 0;
    SQLPOINTER buffer = nullptr;
    SQLLEN bufferLength = 0;
    SQLLEN* indicator = nullptr;
};

// The server type a client's SQL type is declared as.
SqlType declaredType(SQLSMALLINT sqlType);
bool knownSqlType(SQLSMALLINT sqlType);

// The value a bound parameter holds at execution, in SQL Server's text form
// for its C type; an output-only parameter sends nothing. Throws DriverError.
ParamValue parameterValue(const ParameterBinding& binding);

// Writes a procedure's return value into an output parameter's buffer.
void writeReturnValue(const ParameterBinding& binding, std::optional<long> value,
                      Diagnostics& diagnostics);

}  // namespace vantrok::sim::driver
