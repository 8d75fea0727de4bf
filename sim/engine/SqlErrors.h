#pragma once

#include <string_view>

#include "sim/engine/Session.h"
#include "sim/engine/Sqlite.h"

// SQL Server's errors as its ODBC driver reports them: SQLSTATE, error number, text.
namespace vantrok::sim::errors {

SimError syntax(std::string_view near);
SimError varcharToInt(std::string_view value);
SimError varcharIntOverflow(std::string_view value);
SimError dateFromText();
SimError dateOutOfRange();
SimError invalidLength();
SimError intArithmeticOverflow();
SimError invalidObject(std::string_view name);
SimError procedureNotFound(std::string_view name);
SimError parameterMissing(std::string_view procedure, std::string_view parameter);
SimError tooManyArguments(std::string_view procedure);
SimError parameterConversion(std::string_view from, std::string_view to);
SimError parameterOverflow(std::string_view from, std::string_view to);
SimError implicitConversion(std::string_view from, std::string_view to);
SimError invalidCharacterValue();
SimError stringTruncated();
SimError raised(std::string_view message);
SimError communicationLink();
SimError queryTimeout();
// A lock not granted within the session's LOCK_TIMEOUT.
SimError lockTimeout();
// The client cancelled the statement (ODBC's HY008).
SimError cancelled();
// COMMIT (3902) or ROLLBACK (3903) with no transaction open.
SimError noTransaction(bool commit);
// ROLLBACK TRAN of a name the open transaction does not have (6401).
SimError noTransactionNamed(std::string_view name);
SimError serverNotFound();
SimError loginFailed(std::string_view user);
SimError cannotOpenDatabase(std::string_view database);
// A login without a user in a database that a statement reaches into (916).
SimError noDatabaseAccess(std::string_view login, std::string_view database);
// A statement that needs a right the login lacks on one object (229).
SimError permissionDenied(std::string_view permission, std::string_view object, std::string_view database);
// A failure of the station's own storage, named as SQL Server names the
// nearest of its own (a missing table is an invalid object).
SimError storage(const sqlite::Error& error);

}  // namespace vantrok::sim::errors
