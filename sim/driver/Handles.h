#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/driver/CellConversion.h"
#include "sim/driver/Diagnostics.h"
#include "sim/driver/OdbcApi.h"
#include "sim/driver/ParameterText.h"
#include "sim/engine/Session.h"

namespace vantrok::sim::driver {

enum class HandleKind : std::uint8_t { Environment, Connection, Statement };

// What every handle given to the driver manager points at.
struct Handle {
    explicit Handle(HandleKind k) : kind(k) {}
    virtual ~Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    const HandleKind kind;
    Diagnostics diagnostics;
};

struct Environment : Handle {
    Environment() : Handle(HandleKind::Environment) {}
    SQLINTEGER odbcVersion = SQL_OV_ODBC3;
    std::size_t connections = 0;
};

struct Statement;

struct Connection : Handle {
    explicit Connection(Environment& e) : Handle(HandleKind::Connection), environment(e) {}

    Environment& environment;
    std::unique_ptr<Session> session;
    ConnectRequest request;
    std::string dataSource;         // DSN of SQLConnect or DSN=, else empty
    std::vector<Statement*> statements;
    SQLULEN loginTimeout = 0;       // kept for clients; a local station answers at once
    SQLULEN connectionTimeout = 0;
    SQLULEN queryTimeout = 0;       // default of new statements
    bool dead = false;              // a link failure (class 08) was reported
    bool autocommit = true;         // off: manual commit, a transaction open on the session
    bool engineTimed = false;       // see EngineTime.h
    std::uint64_t engineNanoseconds = 0;

    bool connected() const noexcept { return static_cast<bool>(session); }
};

struct ColumnBinding {
    SQLSMALLINT cType = SQL_C_DEFAULT;
    SQLPOINTER buffer = nullptr;
    SQLLEN bufferLength = 0;
    SQLLEN* indicator = nullptr;
};

struct Statement : Handle {
    explicit Statement(Connection& c)
        : Handle(HandleKind::Statement), connection(c), queryTimeout(c.queryTimeout) {}

    Connection& connection;

    std::string sql;
    bool prepared = false;     // sql holds a prepared text
    std::size_t markers = 0;   // parameter markers in sql
    std::map<SQLUSMALLINT, ParameterBinding> parameters;
    std::map<SQLUSMALLINT, ColumnBinding> boundColumns;

    bool executed = false;                   // since the last prepare
    std::vector<ResultColumn> columns;       // of the current result
    std::optional<std::vector<Row>> cursor;  // rows of the open result set
    std::size_t fetched = 0;                 // rows delivered so far
    bool positioned = false;                 // on a fetched row (not before or after them)
    bool rowsExhausted = false;              // a fetch found no more rows
    std::optional<Outcome> pending;          // results after the current one, unread
    long rowCount = -1;
    SQLUSMALLINT readColumn = 0;             // column of the last SQLGetData
    ReadState readState;

    SQLULEN queryTimeout;
    SQLULEN maxRows = 0;
    SQLULEN* rowsFetched = nullptr;          // SQL_ATTR_ROWS_FETCHED_PTR
    SQLUSMALLINT* rowStatus = nullptr;       // SQL_ATTR_ROW_STATUS_PTR
    SQLULEN* paramsProcessed = nullptr;      // SQL_ATTR_PARAMS_PROCESSED_PTR
    std::atomic<bool> executing{false};

    bool cursorOpen() const noexcept { return cursor.has_value(); }
    // A result set open or results still to come: the statement cannot be
    // executed again until they are closed or read through.
    bool hasResults() const noexcept { return cursorOpen() || pending.has_value(); }
    // Rows or results of this statement still wait on the connection.
    bool holdsConnection() const noexcept { return (cursorOpen() && !rowsExhausted) || pending.has_value(); }
    const Row& currentRow() const { return (*cursor)[fetched - 1]; }
    void closeCursor() noexcept;
    // Closes the cursor and drops the results not yet read: a procedure
    // still running is stopped there.
    void discardResults() noexcept;
};

// Adds the processor time of one call into the engine to its connection's
// count, when the client asked for one.
class EngineTimer {
public:
    explicit EngineTimer(Connection& connection);
    ~EngineTimer();
    EngineTimer(const EngineTimer&) = delete;
    EngineTimer& operator=(const EngineTimer&) = delete;

private:
    Connection* timed_;
    std::uint64_t start_ = 0;
};

// The live handles. A handle the driver never gave out, or one already freed,
// is not found, so a bad handle becomes SQL_INVALID_HANDLE instead of a crash.
namespace handles {
Environment* newEnvironment();
Connection* newConnection(Environment& environment);
Statement* newStatement(Connection& connection);
void free(Handle* handle) noexcept;
Handle* find(SQLHANDLE handle, HandleKind kind) noexcept;
}  // namespace handles

}  // namespace vantrok::sim::driver
