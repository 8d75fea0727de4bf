#pragma once

#include <memory>
#include <string>

#include "db/OdbcHandle.h"
#include "db/ResultSet.h"
#include "db/StatementHandle.h"

namespace vantrok::db {

// One ODBC connection, opened by a connection text exactly as given.
// The time-outs are by default those the program relies on without setting
// its own: 15 s to log in, 30 s per command.
class Connection {
public:
    static constexpr SQLULEN loginTimeoutSeconds = 15;
    static constexpr SQLULEN commandTimeoutSeconds = 30;

    struct Timeouts {
        SQLULEN loginSeconds = loginTimeoutSeconds;
        SQLULEN commandSeconds = commandTimeoutSeconds;
    };

    Connection() = default;
    Connection(Connection&&) noexcept = default;
    // Closes this connection before taking over the other's handles.
    Connection& operator=(Connection&& other) noexcept;

    // Opens with SQLDriverConnect, no prompt, the ADO connection text turned
    // into the driver's own (see odbcConnectionText). An open connection is closed
    // first, so a reopen always starts from fresh handles. The text is kept
    // even when the attempt fails, for a later retry. Throws DatabaseError.
    void open(const std::string& connectionText);
    // Disconnects and frees the handles; never throws.
    void close() noexcept;
    bool isOpen() const noexcept { return static_cast<bool>(dbc_); }
    // The driver's own word that the link to the server is lost
    // (SQL_ATTR_CONNECTION_DEAD). Drivers differ in the SQLSTATE of a lost
    // link: FreeTDS reports a reset one as HY000 or 01000, never class 08.
    bool isDead() const noexcept;
    // For the opens and statements from now on, reopens included (ADO's
    // ConnectionTimeout and CommandTimeout); a tool with a deadline of its
    // own keeps its waits within it.
    void setTimeouts(const Timeouts& timeouts) noexcept { timeouts_ = timeouts; }
    // The text of the last open attempt (empty before any).
    const std::string& connectionText() const noexcept { return connectionText_; }

    // Executes a SQL text and yields its forward-only result set. When the
    // first result has no columns the set is closed (eof and bof), and the
    // batch's later results are read through first, so it runs whole and an
    // error it raises late is not lost. Throws DatabaseError.
    ResultSet execute(const std::string& sql);
    // Executes a statement that yields no rows, such as an update, reads its
    // results through and says how many rows its first count covers. Throws DatabaseError.
    SQLLEN executeUpdate(const std::string& sql);

    // A statement handle with the command time-out set: the one kept for
    // reuse, else a new one. Throws DatabaseError (08003 when the connection
    // is not open).
    StatementHandle newStatement();
    SQLHDBC handle() const noexcept { return dbc_.get(); }

private:
    std::string connectionText_;
    Timeouts timeouts_;
    OdbcHandle env_;
    OdbcHandle dbc_;
    std::shared_ptr<StatementPool> statements_;
};

}  // namespace vantrok::db
