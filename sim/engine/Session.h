#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/engine/Outcome.h"

namespace vantrok::sim {

// What the driver found in odbcinst.ini and the connection text.
// Waits up to the given time for the client to cancel the statement that
// holds its reply; true when it did. A server on the wire notices a cancel
// while a procedure runs; the ODBC driver's statements cannot be cancelled.
using CancelWait = std::function<bool(std::chrono::milliseconds)>;

struct ConnectRequest {
    std::string stationDir;  // the "Station" attribute of the driver's section
    std::string server;
    std::string uid;
    std::string password;
    std::string database;
};

// One client connection to the station. Thread-compatible: one call at a time.
class Session {
public:
    virtual ~Session() = default;

    // Opens a connection; throws SimError (08001 refused, 28000 login, 4060 database).
    static std::unique_ptr<Session> connect(const ConnectRequest& request);

    virtual const std::string& database() const = 0;
    // The station answers as the first, lenient simulator did.
    virtual bool lenient() const = 0;

    // Executes one statement text with its bound parameters (in marker order;
    // for "{? = call ...}" the first is the return value). Its results come
    // one at a time as the client reads them (see Outcome). Throws SimError.
    // timeout: the statement's query time-out (zero: none).
    virtual Outcome execute(std::string_view sql, const std::vector<ParamValue>& params,
                            std::chrono::seconds timeout) = 0;

    // The 19-column result of SQLProcedureColumns for one procedure name
    // (position 0 the return value). Logged. Throws SimError.
    virtual ResultTable procedureColumns(std::string_view procedureName) = 0;

    // A transaction, as the client's driver asks for one when it leaves
    // auto-commit ([MS-TDS] 2.2.6.9, or ODBC's SQL_ATTR_AUTOCOMMIT): its
    // statements' writes and locks last until it ends, and a connection that
    // closes or breaks with one open rolls it back. Throws SimError.
    virtual void beginTransaction() = 0;
    // Commits or rolls back the open transaction, nested ones included;
    // nothing without one.
    virtual void endTransaction(bool commit) = 0;
    virtual bool inTransaction() const = 0;
    // @@TRANCOUNT: 0 without a transaction, more inside nested BEGIN TRANs.
    virtual int transactionCount() const = 0;
    // SET IMPLICIT_TRANSACTIONS: on, the next statement that reads or writes
    // a table (a procedure's included) begins a transaction when none is
    // open, which lasts until the client commits or rolls it back
    // ("SET IMPLICIT_TRANSACTIONS (Transact-SQL)"). Off by default.
    virtual void setImplicitTransactions(bool on) = 0;
    virtual bool implicitTransactions() const = 0;

    // How a slow statement waits from now on (by default it sleeps).
    virtual void setCancelWait(CancelWait wait) = 0;
};

}  // namespace vantrok::sim
