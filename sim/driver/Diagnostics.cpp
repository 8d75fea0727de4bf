#include "sim/driver/Diagnostics.h"

#include "sim/engine/Session.h"

namespace vantrok::sim::driver {

namespace {
// Clients tell the driver's own errors from the server's by these prefixes.
constexpr std::string_view driverPrefix = "[vantrok][sim odbc]";
constexpr std::string_view serverPrefix = "[vantrok][sim odbc][SQL Server]";

std::string prefixed(std::string_view prefix, std::string_view message) {
    std::string text(prefix);
    text += message;
    return text;
}
}  // namespace

void Diagnostics::clear() noexcept {
    records_.clear();
    returnCode_ = SQL_SUCCESS;
}

void Diagnostics::addWarning(std::string sqlstate, std::string_view message) {
    records_.push_back({std::move(sqlstate), 0, prefixed(driverPrefix, message)});
}

void Diagnostics::add(const DriverError& error) {
    records_.push_back({error.sqlstate(), 0, prefixed(driverPrefix, error.what())});
}

void Diagnostics::add(const SimError& error) {
    records_.push_back({error.sqlstate, static_cast<SQLINTEGER>(error.nativeError),
                        prefixed(serverPrefix, error.message)});
}

}  // namespace vantrok::sim::driver
