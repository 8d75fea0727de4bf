#pragma once

#include "db/Connection.h"

namespace vantrok::db {

// The connection's statements from here on are one unit of work: the driver
// leaves auto-commit until commit(), or until the object ends, which rolls
// back what was not committed. ODBC's own way, not T-SQL's BEGIN TRANSACTION,
// which the SQL Server drivers do not track.
class Transaction {
public:
    // Throws DatabaseError.
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Commits and returns the connection to auto-commit. Throws DatabaseError.
    void commit();

private:
    Connection& connection_;
    bool open_ = true;
};

}  // namespace vantrok::db
