#include "db/Transaction.h"

#include <cstdint>

namespace vantrok::db {

namespace {

SQLRETURN setAutocommit(SQLHDBC dbc, SQLULEN mode) {
    return SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(mode)),
                             0);
}

}  // namespace

Transaction::Transaction(Connection& connection) : connection_(connection) {
    if (!connection.isOpen()) throw DatabaseError("beginning a transaction", {{"08003", 0, "Connection not open"}});
    check(setAutocommit(connection.handle(), SQL_AUTOCOMMIT_OFF), SQL_HANDLE_DBC, connection.handle(),
          "beginning a transaction");
}

Transaction::~Transaction() {
    if (!open_ || !connection_.isOpen()) return;
    // Rolled back first: switching auto-commit on would commit what is open.
    SQLEndTran(SQL_HANDLE_DBC, connection_.handle(), SQL_ROLLBACK);
    setAutocommit(connection_.handle(), SQL_AUTOCOMMIT_ON);
}

void Transaction::commit() {
    check(SQLEndTran(SQL_HANDLE_DBC, connection_.handle(), SQL_COMMIT), SQL_HANDLE_DBC, connection_.handle(),
          "committing a transaction");
    open_ = false;
    check(setAutocommit(connection_.handle(), SQL_AUTOCOMMIT_ON), SQL_HANDLE_DBC, connection_.handle(),
          "ending a transaction");
}

}  // namespace vantrok::db
