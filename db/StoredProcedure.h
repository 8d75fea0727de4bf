#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "db/StatementHandle.h"
#include "db/Value.h"

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
// bound with the declared SQL type, so the driver converts them. The command
// keeps its statement handle, its prepared call and its bindings from call to
// call while its connection stays open; a value whose type or buffer changed
// is bound anew.
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
    // Where one input's value lives while it is bound: in place from call to
    // call, so a binding holds as long as its C type and buffer do.
    struct Slot {
        std::string text;
        SQLBIGINT integer = 0;
        SQLDOUBLE real = 0;
        SQL_TIMESTAMP_STRUCT timestamp{};
        SQLLEN indicator = 0;
        SQLSMALLINT boundType = 0;  // 0: not bound on the current handle
        SQLPOINTER boundBuffer = nullptr;
    };

    void useStatementOf(Connection& connection);
    void bindInput(std::size_t position, const std::string& context);

    std::string name_;
    Connection* connection_ = nullptr;
    bool derived_ = false;
    std::vector<ProcedureParameter> parameters_;
    std::vector<Value> values_;
    std::string call_;  // "{? = call name(?,...)}", built with the list

    StatementHandle statement_;
    Connection* statementConnection_ = nullptr;
    std::vector<Slot> slots_;
    SQLINTEGER returnValue_ = 0;
    SQLLEN returnIndicator_ = 0;
    bool returnBound_ = false;
    std::string preparedCall_;  // the text prepared on the current handle
};

}  // namespace vantrok::db
