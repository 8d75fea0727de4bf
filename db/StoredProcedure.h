#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "db/Value.h"
#include "db/OdbcHandle.h"

namespace vantrok::db {

class Connection;

// One declared parameter as the server describes the procedure.
struct ProcedureParameter {
    std::string name;
    SQLSMALLINT columnType = 0;  // SQL_PARAM_INPUT, SQL_RETURN_VALUE, ...
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT decimalDigits = 0;
};

// A stored-procedure command. Its parameter list is derived from the server's
// own description (SQLProcedureColumns) at first use and kept for the life of
// the object, also across a change of connection; an empty description (the
// procedure is not there yet) is asked for again at the next use. Positions
// follow the description: the server lists the return value first, so
// position 0 is the return value and 1..N the declared parameters. Values are
// bound with the declared SQL type, so the driver converts them.
class StoredProcedure {
public:
    explicit StoredProcedure(std::string name);

    const std::string& name() const noexcept { return name_; }
    void setConnection(Connection& connection) noexcept { connection_ = &connection; }
    Connection* connection() const noexcept { return connection_; }

    // Derives the parameter list if not yet done. Throws DatabaseError.
    const std::vector<ProcedureParameter>& parameters();
    // Sets the value at a position (1..N; a value at the return value's
    // position is kept but not sent). Derives the list first; throws
    // DatabaseError (07009) for a position the procedure does not have.
    void setParameter(std::size_t position, Value value);
    const Value& parameter(std::size_t position) const;

    // Executes on the connection; an unset position goes as NULL. Every result
    // is read past unread, so an error the procedure raises late still
    // surfaces. Throws DatabaseError.
    void execute();

private:
    std::string name_;
    Connection* connection_ = nullptr;
    bool derived_ = false;
    std::vector<ProcedureParameter> parameters_;
    std::vector<Value> values_;
};

}  // namespace vantrok::db
