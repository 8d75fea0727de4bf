#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

namespace vantrok::testing {

struct DiagnosticRecord {
    std::string sqlstate;
    SQLINTEGER nativeError = 0;
    std::string message;
};

// Every diagnostic record of a handle, read through the driver manager.
std::vector<DiagnosticRecord> diagnosticsOf(SQLSMALLINT type, SQLHANDLE handle);

// The texts as the data-access layer hands them to the driver.
inline const char* salesText =
    "driver=sql server;uid=sa;PWD=qolvent4719ruk;server=(LOCAL);database=torvane";
inline const char* controllerText =
    "driver=sql server;uid=sa;PWD=qolvent4719ruk;server=(LOCAL);database=enablerdb";

// An ODBC 3 client of the driver manager: one environment and connection.
class OdbcClient {
public:
    OdbcClient();
    ~OdbcClient();
    OdbcClient(const OdbcClient&) = delete;
    OdbcClient& operator=(const OdbcClient&) = delete;

    // SQLDriverConnect without prompting; the completed text goes to *out.
    SQLRETURN connect(const std::string& text, std::string* out = nullptr);
    std::vector<DiagnosticRecord> connectionDiagnostics() const;

    SQLHDBC dbc() const { return dbc_; }

private:
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
};

// A statement on a connected client.
class OdbcStatement {
public:
    explicit OdbcStatement(OdbcClient& client);
    ~OdbcStatement();
    OdbcStatement(const OdbcStatement&) = delete;
    OdbcStatement& operator=(const OdbcStatement&) = delete;

    SQLHSTMT get() const { return stmt_; }
    SQLRETURN execute(const std::string& sql);
    std::vector<DiagnosticRecord> diagnostics() const;
    // SQLGetData as SQL_C_CHAR; "<NULL>" for NULL.
    std::string text(SQLUSMALLINT column);

private:
    SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

}  // namespace vantrok::testing
