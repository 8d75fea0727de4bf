#include "tests/sim/driver/OdbcClient.h"

#include <stdexcept>

namespace vantrok::testing {

std::vector<DiagnosticRecord> diagnosticsOf(SQLSMALLINT type, SQLHANDLE handle) {
    std::vector<DiagnosticRecord> records;
    for (SQLSMALLINT number = 1;; ++number) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLGetDiagRec(type, handle, number, state, &native, message,
                                         sizeof message, &length)))
            return records;
        records.push_back({reinterpret_cast<char*>(state), native, reinterpret_cast<char*>(message)});
    }
}

OdbcClient::OdbcClient() {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)) ||
        !SQL_SUCCEEDED(SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION,
                                     reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0)) ||
        !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_)))
        throw std::runtime_error("cannot allocate ODBC handles");
}

OdbcClient::~OdbcClient() {
    if (connected_) SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

SQLRETURN OdbcClient::connect(const std::string& text, std::string* out) {
    SQLCHAR completed[1024] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLDriverConnect(
        dbc_, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())), SQL_NTS,
        completed, sizeof completed, &length, SQL_DRIVER_NOPROMPT);
    connected_ = SQL_SUCCEEDED(rc);
    if (out) *out = reinterpret_cast<char*>(completed);
    return rc;
}

std::vector<DiagnosticRecord> OdbcClient::connectionDiagnostics() const {
    return diagnosticsOf(SQL_HANDLE_DBC, dbc_);
}

OdbcStatement::OdbcStatement(OdbcClient& client) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, client.dbc(), &stmt_)))
        throw std::runtime_error("cannot allocate a statement");
}

OdbcStatement::~OdbcStatement() { SQLFreeHandle(SQL_HANDLE_STMT, stmt_); }

SQLRETURN OdbcStatement::execute(const std::string& sql) {
    return SQLExecDirect(stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
}

std::vector<DiagnosticRecord> OdbcStatement::diagnostics() const {
    return diagnosticsOf(SQL_HANDLE_STMT, stmt_);
}

std::string OdbcStatement::text(SQLUSMALLINT column) {
    char buffer[512] = {};
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt_, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
    if (!SQL_SUCCEEDED(rc)) throw std::runtime_error("SQLGetData failed");
    return indicator == SQL_NULL_DATA ? "<NULL>" : buffer;
}

}  // namespace vantrok::testing
