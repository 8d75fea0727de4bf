#pragma once

#include "sim/driver/OdbcApi.h"
#include "sim/engine/Session.h"

namespace vantrok::sim::driver {

// How a result column of a SQL Server type is described to ODBC clients.
struct ColumnDescription {
    SQLSMALLINT conciseType = SQL_VARCHAR;  // SQL_TYPE_TIMESTAMP (or SQL_TIMESTAMP for ODBC 2)
    SQLSMALLINT verboseType = SQL_VARCHAR;  // SQL_DATETIME for date-times
    SQLSMALLINT datetimeCode = 0;           // SQL_CODE_TIMESTAMP for date-times
    SQLULEN columnSize = 0;
    SQLSMALLINT decimalDigits = 0;
    SQLLEN displaySize = 0;
    SQLLEN octetLength = 0;  // bytes of the default C form
    SQLLEN radix = 0;        // 10 for numbers, 0 otherwise
    const char* typeName = "varchar";
    const char* literalQuote = "";  // prefix and suffix of a literal
    bool isNumber = false;
    bool caseSensitive = false;
};

ColumnDescription describeColumn(const ResultColumn& column, SQLINTEGER odbcVersion);

}  // namespace vantrok::sim::driver
