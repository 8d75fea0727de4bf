// What the driver and its server can do, as SQLGetInfo reports it.
#include <variant>

#include "sim/driver/EntryPoint.h"
#include "sim/driver/OutputBuffers.h"

using namespace vantrok::sim::driver;

namespace {

using InfoValue = std::variant<std::string, SQLUSMALLINT, SQLUINTEGER>;

std::optional<InfoValue> connectionInfo(const Connection& connection, SQLUSMALLINT type) {
    switch (type) {
        case SQL_SERVER_NAME: return InfoValue(connection.request.server);
        case SQL_DATA_SOURCE_NAME: return InfoValue(connection.dataSource);
        case SQL_USER_NAME: return InfoValue(connection.request.uid);
        case SQL_DATABASE_NAME:
            if (!connection.connected()) throw DriverError("08003", "Connection not open");
            return InfoValue(connection.session->database());
        default: return std::nullopt;
    }
}

std::optional<InfoValue> textInfo(SQLUSMALLINT type) {
    switch (type) {
        case SQL_DRIVER_NAME: return InfoValue(std::string("libvantrok_sim_odbc.so"));
        case SQL_DRIVER_VER: return InfoValue(std::string("01.00.0000"));
        case SQL_DRIVER_ODBC_VER: return InfoValue(std::string("03.00"));
        case SQL_DBMS_NAME: return InfoValue(std::string("SQL Server"));
        case SQL_DBMS_VER: return InfoValue(std::string("01.00.0000"));
        case SQL_CATALOG_TERM: return InfoValue(std::string("database"));
        case SQL_SCHEMA_TERM: return InfoValue(std::string("owner"));
        case SQL_PROCEDURE_TERM: return InfoValue(std::string("stored procedure"));
        case SQL_TABLE_TERM: return InfoValue(std::string("table"));
        case SQL_IDENTIFIER_QUOTE_CHAR: return InfoValue(std::string("\""));
        case SQL_CATALOG_NAME_SEPARATOR: return InfoValue(std::string("."));
        case SQL_SEARCH_PATTERN_ESCAPE: return InfoValue(std::string("\\"));
        case SQL_SPECIAL_CHARACTERS: return InfoValue(std::string("#$^"));
        case SQL_KEYWORDS: return InfoValue(std::string());
        case SQL_XOPEN_CLI_YEAR: return InfoValue(std::string("1995"));
        case SQL_COLLATION_SEQ: return InfoValue(std::string());
        case SQL_CATALOG_NAME:
        case SQL_PROCEDURES:
        case SQL_ACCESSIBLE_TABLES:
        case SQL_ACCESSIBLE_PROCEDURES:
        case SQL_EXPRESSIONS_IN_ORDERBY:
        case SQL_MULT_RESULT_SETS:
        case SQL_MULTIPLE_ACTIVE_TXN:
        case SQL_COLUMN_ALIAS:
        case SQL_OUTER_JOINS:
        case SQL_LIKE_ESCAPE_CLAUSE:
        case SQL_INTEGRITY: return InfoValue(std::string("Y"));
        case SQL_DATA_SOURCE_READ_ONLY:
        case SQL_ORDER_BY_COLUMNS_IN_SELECT:
        case SQL_ROW_UPDATES:
        case SQL_DESCRIBE_PARAMETER:
        case SQL_NEED_LONG_DATA_LEN:
        case SQL_MAX_ROW_SIZE_INCLUDES_LONG: return InfoValue(std::string("N"));
        default: return std::nullopt;
    }
}

std::optional<InfoValue> smallInfo(SQLUSMALLINT type) {
    auto value = [](auto number) { return InfoValue(static_cast<SQLUSMALLINT>(number)); };
    switch (type) {
        case SQL_MAX_DRIVER_CONNECTIONS:
        case SQL_MAX_CONCURRENT_ACTIVITIES:
        case SQL_MAX_COLUMNS_IN_GROUP_BY:
        case SQL_MAX_COLUMNS_IN_INDEX:
        case SQL_MAX_COLUMNS_IN_ORDER_BY:
        case SQL_MAX_COLUMNS_IN_SELECT:
        case SQL_MAX_COLUMNS_IN_TABLE:
        case SQL_MAX_TABLES_IN_SELECT: return value(0);  // no fixed limit
        case SQL_MAX_COLUMN_NAME_LEN:
        case SQL_MAX_CURSOR_NAME_LEN:
        case SQL_MAX_SCHEMA_NAME_LEN:
        case SQL_MAX_CATALOG_NAME_LEN:
        case SQL_MAX_TABLE_NAME_LEN:
        case SQL_MAX_USER_NAME_LEN:
        case SQL_MAX_IDENTIFIER_LEN: return value(128);
        case SQL_MAX_PROCEDURE_NAME_LEN: return value(134);
        case SQL_TXN_CAPABLE: return value(SQL_TC_NONE);  // autocommit only
        case SQL_CURSOR_COMMIT_BEHAVIOR:
        case SQL_CURSOR_ROLLBACK_BEHAVIOR: return value(SQL_CB_PRESERVE);
        case SQL_CONCAT_NULL_BEHAVIOR: return value(SQL_CB_NULL);
        case SQL_CORRELATION_NAME: return value(SQL_CN_ANY);
        case SQL_GROUP_BY: return value(SQL_GB_GROUP_BY_CONTAINS_SELECT);
        case SQL_IDENTIFIER_CASE:
        case SQL_QUOTED_IDENTIFIER_CASE: return value(SQL_IC_MIXED);
        case SQL_NON_NULLABLE_COLUMNS: return value(SQL_NNC_NON_NULL);
        case SQL_NULL_COLLATION: return value(SQL_NC_LOW);
        case SQL_FILE_USAGE: return value(SQL_FILE_NOT_SUPPORTED);
        case SQL_CATALOG_LOCATION: return value(SQL_CL_START);
        case SQL_ODBC_API_CONFORMANCE: return value(SQL_OAC_LEVEL1);
        case SQL_ODBC_SQL_CONFORMANCE: return value(SQL_OSC_CORE);
        case SQL_ODBC_SAG_CLI_CONFORMANCE: return value(SQL_OSCC_COMPLIANT);
        default: return std::nullopt;
    }
}

std::optional<InfoValue> integerInfo(SQLUSMALLINT type) {
    auto value = [](auto number) { return InfoValue(static_cast<SQLUINTEGER>(number)); };
    switch (type) {
        case SQL_GETDATA_EXTENSIONS:
            return value(SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND);
        case SQL_SCROLL_OPTIONS: return value(SQL_SO_FORWARD_ONLY);
        case SQL_FETCH_DIRECTION: return value(SQL_FD_FETCH_NEXT);
        case SQL_SCROLL_CONCURRENCY: return value(SQL_SCCO_READ_ONLY);
        case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1: return value(SQL_CA1_NEXT);
        case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2: return value(SQL_CA2_READ_ONLY_CONCURRENCY);
        case SQL_OJ_CAPABILITIES:
            return value(SQL_OJ_LEFT | SQL_OJ_RIGHT | SQL_OJ_FULL | SQL_OJ_NESTED |
                         SQL_OJ_NOT_ORDERED | SQL_OJ_INNER | SQL_OJ_ALL_COMPARISON_OPS);
        case SQL_SQL_CONFORMANCE: return value(SQL_SC_SQL92_ENTRY);
        case SQL_ODBC_INTERFACE_CONFORMANCE: return value(SQL_OIC_CORE);
        case SQL_PARAM_ARRAY_ROW_COUNTS: return value(SQL_PARC_NO_BATCH);
        case SQL_PARAM_ARRAY_SELECTS: return value(SQL_PAS_NO_SELECT);
        case SQL_ASYNC_MODE: return value(SQL_AM_NONE);
        case SQL_TXN_ISOLATION_OPTION:
        case SQL_DEFAULT_TXN_ISOLATION: return value(SQL_TXN_READ_COMMITTED);
        case SQL_UNION: return value(SQL_U_UNION | SQL_U_UNION_ALL);
        case SQL_MAX_ROW_SIZE: return value(8060);
        case SQL_SUBQUERIES:
            return value(SQL_SQ_CORRELATED_SUBQUERIES | SQL_SQ_COMPARISON | SQL_SQ_EXISTS |
                         SQL_SQ_IN | SQL_SQ_QUANTIFIED);
        case SQL_AGGREGATE_FUNCTIONS:
            return value(SQL_AF_ALL | SQL_AF_AVG | SQL_AF_COUNT | SQL_AF_DISTINCT | SQL_AF_MAX |
                         SQL_AF_MIN | SQL_AF_SUM);
        case SQL_CATALOG_USAGE:
        case SQL_SCHEMA_USAGE: return value(SQL_CU_DML_STATEMENTS | SQL_CU_PROCEDURE_INVOCATION);
        case SQL_ASYNC_DBC_FUNCTIONS: return value(SQL_ASYNC_DBC_NOT_CAPABLE);
        // Nothing beyond the statements the station answers.
        case SQL_STATIC_CURSOR_ATTRIBUTES1: case SQL_STATIC_CURSOR_ATTRIBUTES2:
        case SQL_KEYSET_CURSOR_ATTRIBUTES1: case SQL_KEYSET_CURSOR_ATTRIBUTES2:
        case SQL_DYNAMIC_CURSOR_ATTRIBUTES1: case SQL_DYNAMIC_CURSOR_ATTRIBUTES2:
        case SQL_STATIC_SENSITIVITY: case SQL_BOOKMARK_PERSISTENCE: case SQL_POS_OPERATIONS:
        case SQL_POSITIONED_STATEMENTS: case SQL_LOCK_TYPES: case SQL_ALTER_TABLE:
        case SQL_CONVERT_FUNCTIONS: case SQL_NUMERIC_FUNCTIONS: case SQL_STRING_FUNCTIONS:
        case SQL_SYSTEM_FUNCTIONS: case SQL_TIMEDATE_FUNCTIONS: case SQL_TIMEDATE_ADD_INTERVALS:
        case SQL_TIMEDATE_DIFF_INTERVALS: case SQL_BATCH_SUPPORT: case SQL_BATCH_ROW_COUNT:
        case SQL_DATETIME_LITERALS: case SQL_MAX_ASYNC_CONCURRENT_STATEMENTS:
        case SQL_MAX_STATEMENT_LEN: case SQL_MAX_CHAR_LITERAL_LEN: case SQL_MAX_BINARY_LITERAL_LEN:
        case SQL_MAX_INDEX_SIZE: case SQL_INFO_SCHEMA_VIEWS: case SQL_INDEX_KEYWORDS:
        case SQL_INSERT_STATEMENT: case SQL_DDL_INDEX: case SQL_CREATE_TABLE: case SQL_CREATE_VIEW:
        case SQL_CREATE_SCHEMA: case SQL_DROP_TABLE: case SQL_DROP_VIEW: case SQL_DROP_SCHEMA:
        case SQL_SQL92_PREDICATES: case SQL_SQL92_RELATIONAL_JOIN_OPERATORS:
        case SQL_SQL92_DATETIME_FUNCTIONS: case SQL_SQL92_NUMERIC_VALUE_FUNCTIONS:
        case SQL_SQL92_STRING_FUNCTIONS: case SQL_SQL92_VALUE_EXPRESSIONS:
        case SQL_SQL92_GRANT: case SQL_SQL92_REVOKE: case SQL_SQL92_ROW_VALUE_CONSTRUCTOR:
        case SQL_SQL92_FOREIGN_KEY_DELETE_RULE: case SQL_SQL92_FOREIGN_KEY_UPDATE_RULE:
        case SQL_STANDARD_CLI_CONFORMANCE: case SQL_DTC_TRANSITION_COST:
        case SQL_CONVERT_BIGINT: case SQL_CONVERT_BINARY: case SQL_CONVERT_BIT:
        case SQL_CONVERT_CHAR: case SQL_CONVERT_DATE: case SQL_CONVERT_DECIMAL:
        case SQL_CONVERT_DOUBLE: case SQL_CONVERT_FLOAT: case SQL_CONVERT_INTEGER:
        case SQL_CONVERT_LONGVARCHAR: case SQL_CONVERT_NUMERIC: case SQL_CONVERT_REAL:
        case SQL_CONVERT_SMALLINT: case SQL_CONVERT_TIME: case SQL_CONVERT_TIMESTAMP:
        case SQL_CONVERT_TINYINT: case SQL_CONVERT_VARBINARY: case SQL_CONVERT_VARCHAR:
        case SQL_CONVERT_LONGVARBINARY: case SQL_CONVERT_WCHAR: case SQL_CONVERT_WVARCHAR:
        case SQL_CONVERT_WLONGVARCHAR:
            return value(0);
        default: return std::nullopt;
    }
}

SQLRETURN getInfo(Connection& connection, SQLUSMALLINT type, SQLPOINTER value,
                  SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    std::optional<InfoValue> info = connectionInfo(connection, type);
    if (!info) info = textInfo(type);
    if (!info) info = smallInfo(type);
    if (!info) info = integerInfo(type);
    if (!info) throw DriverError("HY096", "Information type out of range");
    if (const auto* text = std::get_if<std::string>(&*info)) {
        writeTextOrWarn(connection.diagnostics, *text, value, bufferLength, length);
    } else if (const auto* small = std::get_if<SQLUSMALLINT>(&*info)) {
        writeValue(value, *small);
        if (length) *length = sizeof *small;
    } else {
        const auto number = std::get<SQLUINTEGER>(*info);
        writeValue(value, number);
        if (length) *length = sizeof number;
    }
    return SQL_SUCCESS;
}

}  // namespace

extern "C" SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value,
                                        SQLSMALLINT bufferLength, SQLSMALLINT* length) {
    return entryPoint<Connection>(handle, [&](Connection& connection) {
        return getInfo(connection, type, value, bufferLength, length);
    });
}
