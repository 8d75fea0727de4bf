#include "db/Connection.h"

#include <cstdint>

#include "db/OdbcConnectionText.h"

namespace vantrok::db {
namespace {

SQLPOINTER integerAttribute(SQLULEN value) {
    return reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(value));
}

// A driver that does not know a time-out attribute still runs the statement,
// only without that time-out; anything else is a real failure.
void tolerateUnsupported(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const std::string& context) {
    if (rc != SQL_ERROR) {
        check(rc, type, handle, context);
        return;
    }
    auto records = diagnostics(type, handle);
    for (const auto& r : records) {
        if (r.sqlstate == "HYC00" || r.sqlstate == "HY092" || r.sqlstate == "HY024" || r.sqlstate == "IM001") {
            return;
        }
    }
    throw DatabaseError(context, std::move(records));
}

}  // namespace

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        close();
        connectionText_ = std::move(other.connectionText_);
        timeouts_ = other.timeouts_;
        env_ = std::move(other.env_);
        dbc_ = std::move(other.dbc_);
        statements_ = std::move(other.statements_);
    }
    return *this;
}

void Connection::open(const std::string& connectionText) {
    close();
    connectionText_ = connectionText;

    OdbcHandle env(SQL_HANDLE_ENV, SQL_NULL_HANDLE, "allocating the ODBC environment");
    check(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, integerAttribute(SQL_OV_ODBC3), 0), SQL_HANDLE_ENV,
          env.get(), "requesting ODBC 3");
    OdbcHandle dbc(SQL_HANDLE_DBC, env.get(), "allocating a connection");
    tolerateUnsupported(
        SQLSetConnectAttr(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT, integerAttribute(timeouts_.loginSeconds), 0),
        SQL_HANDLE_DBC, dbc.get(), "setting the login time-out");

    std::string odbcText = odbcConnectionText(connectionText);
    SQLCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    check(SQLDriverConnect(dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(odbcText.data()), SQL_NTS,
                           completed, static_cast<SQLSMALLINT>(sizeof completed), &completedLength,
                           SQL_DRIVER_NOPROMPT),
          SQL_HANDLE_DBC, dbc.get(), "connecting");

    env_ = std::move(env);
    dbc_ = std::move(dbc);
    statements_ = std::make_shared<StatementPool>();
}

void Connection::close() noexcept {
    statements_.reset();  // its statements are freed while the connection still holds them
    dbc_.reset();         // disconnects first
    env_.reset();
}

bool Connection::isDead() const noexcept {
    if (!isOpen()) return false;
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN rc = SQLGetConnectAttr(dbc_.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
}

StatementHandle Connection::newStatement() {
    if (!isOpen()) {
        throw DatabaseError("allocating a statement", {{"08003", 0, "Connection not open"}});
    }
    SQLHSTMT handle = statements_->takeSpare();
    if (!handle) handle = statements_->adopt(OdbcHandle(SQL_HANDLE_STMT, dbc_.get(), "allocating a statement"));
    StatementHandle statement(handle, statements_);
    // Set each time: the spare may have been made under another time-out.
    tolerateUnsupported(SQLSetStmtAttr(handle, SQL_ATTR_QUERY_TIMEOUT, integerAttribute(timeouts_.commandSeconds), 0),
                        SQL_HANDLE_STMT, handle, "setting the command time-out");
    return statement;
}

ResultSet Connection::execute(const std::string& sql) {
    StatementHandle statement = newStatement();
    std::string context = "executing " + sql;
    SQLRETURN rc = SQLExecDirect(statement.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                                 SQL_NTS);
    check(rc, SQL_HANDLE_STMT, statement.get(), context);
    return ResultSet(std::move(statement), std::move(context));
}

SQLLEN Connection::executeUpdate(const std::string& sql) {
    StatementHandle statement = newStatement();
    const std::string context = "executing " + sql;
    SQLHSTMT stmt = statement.get();
    SQLRETURN rc = check(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS),
                         SQL_HANDLE_STMT, stmt, context);
    SQLLEN count = 0;  // SQL_NO_DATA: a searched update that met no row
    if (rc != SQL_NO_DATA) check(SQLRowCount(stmt, &count), SQL_HANDLE_STMT, stmt, context);
    while ((rc = SQLMoreResults(stmt)) != SQL_NO_DATA) check(rc, SQL_HANDLE_STMT, stmt, context);
    statement.resultsReadThrough();
    return count;
}

}  // namespace vantrok::db
