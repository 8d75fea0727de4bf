#include "sim/engine/SqlErrors.h"

#include <sqlite3.h>

#include <string>

namespace vantrok::sim::errors {

namespace {

SimError make(std::string_view state, long native, std::string message) {
    return SimError{std::string(state), native, std::move(message)};
}

std::string quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

}  // namespace

SimError stringTruncated() { return make("22001", 8152, "String or binary data would be truncated."); }

SimError syntax(std::string_view near) { return make("42000", 102, "Incorrect syntax near " + quoted(near) + "."); }

SimError varcharToInt(std::string_view value) {
    return make("22018", 245, "Conversion failed when converting the varchar value " + quoted(value) +
                                  " to data type int.");
}

SimError varcharIntOverflow(std::string_view value) {
    return make("22003", 248, "The conversion of the varchar value " + quoted(value) + " overflowed an int column.");
}

SimError dateFromText() {
    return make("22007", 241, "Conversion failed when converting date and/or time from character string.");
}

SimError dateOutOfRange() {
    return make("22008", 242,
                "The conversion of a varchar data type to a datetime data type resulted in an out-of-range value.");
}

SimError invalidLength() {
    return make("42000", 537, "Invalid length parameter passed to the LEFT or SUBSTRING function.");
}

SimError intArithmeticOverflow() {
    return make("22003", 8115, "Arithmetic overflow error converting expression to data type int.");
}

SimError invalidObject(std::string_view name) {
    return make("42S02", 208, "Invalid object name " + quoted(name) + ".");
}

SimError procedureNotFound(std::string_view name) {
    return make("42000", 2812, "Could not find stored procedure " + quoted(name) + ".");
}

SimError parameterMissing(std::string_view procedure, std::string_view parameter) {
    return make("42000", 201, "Procedure or function " + quoted(procedure) + " expects parameter " +
                                  quoted(parameter) + ", which was not supplied.");
}

SimError tooManyArguments(std::string_view procedure) {
    return make("42000", 8144, "Procedure or function " + std::string(procedure) + " has too many arguments specified.");
}

SimError parameterConversion(std::string_view from, std::string_view to) {
    return make("42000", 8114, "Error converting data type " + std::string(from) + " to " + std::string(to) + ".");
}

SimError parameterOverflow(std::string_view from, std::string_view to) {
    return make("22003", 8115,
                "Arithmetic overflow error converting " + std::string(from) + " to data type " + std::string(to) + ".");
}

SimError implicitConversion(std::string_view from, std::string_view to) {
    return make("42000", 257, "Implicit conversion from data type " + std::string(from) + " to " + std::string(to) +
                                  " is not allowed. Use the CONVERT function to run this query.");
}

SimError invalidCharacterValue() { return make("22018", 0, "Invalid character value for cast"); }

SimError raised(std::string_view message) { return make("42000", 50000, std::string(message)); }

SimError communicationLink() { return make("08S01", 0, "Communication link failure"); }

SimError queryTimeout() { return make("HYT00", 0, "Query timeout expired"); }

SimError lockTimeout() { return make("HYT00", 1222, "Lock request time out period exceeded."); }

SimError cancelled() { return make("HY008", 0, "Operation canceled"); }

SimError noTransaction(bool commit) {
    return make("25000", commit ? 3902 : 3903,
                std::string("The ") + (commit ? "COMMIT" : "ROLLBACK") +
                    " TRANSACTION request has no corresponding BEGIN TRANSACTION.");
}

SimError noTransactionNamed(std::string_view name) {
    return make("42000", 6401,
                "Cannot roll back " + std::string(name) + ". No transaction or savepoint of that name was found.");
}

SimError serverNotFound() { return make("08001", 17, "SQL Server does not exist or access denied."); }

SimError loginFailed(std::string_view user) {
    return make("28000", 18456, "Login failed for user " + quoted(user) + ".");
}

SimError cannotOpenDatabase(std::string_view database) {
    return make("42000", 4060, "Cannot open database \"" + std::string(database) +
                                   "\" requested by the login. The login failed.");
}

SimError noDatabaseAccess(std::string_view login, std::string_view database) {
    return make("42000", 916, "The server principal \"" + std::string(login) + "\" is not able to access the database \"" +
                                  std::string(database) + "\" under the current security context.");
}

SimError permissionDenied(std::string_view permission, std::string_view object, std::string_view database) {
    return make("42000", 229, "The " + std::string(permission) + " permission was denied on the object " +
                                  quoted(object) + ", database " + quoted(database) + ", schema 'dbo'.");
}

SimError storage(const sqlite::Error& error) {
    std::string message = error.what();
    constexpr std::string_view missing = "no such table: ";
    if (message.starts_with(missing)) {
        std::string name = message.substr(missing.size());
        // A name kept to the connection's own database reads as the server names it: unqualified.
        if (name.starts_with("main.")) name.erase(0, 5);
        // An attached database reads as database.dbo.table.
        if (auto dot = name.find('.'); dot != std::string::npos) name.insert(dot, ".dbo");
        return invalidObject(name);
    }
    if ((error.code() & 0xff) == SQLITE_BUSY || (error.code() & 0xff) == SQLITE_LOCKED)
        return lockTimeout();
    return make("HY000", 0, "Station storage failed: " + message);
}

}  // namespace vantrok::sim::errors
