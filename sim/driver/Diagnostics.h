#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/driver/OdbcApi.h"

namespace vantrok::sim {
struct SimError;
}

namespace vantrok::sim::driver {

// An error the driver itself detects (bad argument, conversion, cursor state).
class DriverError : public std::runtime_error {
public:
    DriverError(std::string sqlstate, const std::string& message)
        : std::runtime_error(message), sqlstate_(std::move(sqlstate)) {}
    const std::string& sqlstate() const noexcept { return sqlstate_; }

private:
    std::string sqlstate_;
};

struct DiagRecord {
    std::string sqlstate;
    SQLINTEGER nativeError = 0;
    std::string message;  // with the component prefixes an ODBC client expects
};

// The diagnostic area of one handle: cleared at the start of every call on
// the handle (except the diagnostic calls themselves), read by SQLGetDiagRec
// and SQLGetDiagField.
class Diagnostics {
public:
    void clear() noexcept;

    void addWarning(std::string sqlstate, std::string_view message);
    void add(const DriverError& error);
    void add(const SimError& error);

    const std::vector<DiagRecord>& records() const noexcept { return records_; }
    bool empty() const noexcept { return records_.empty(); }

    SQLRETURN returnCode() const noexcept { return returnCode_; }
    void setReturnCode(SQLRETURN rc) noexcept { returnCode_ = rc; }

private:
    std::vector<DiagRecord> records_;
    SQLRETURN returnCode_ = SQL_SUCCESS;
};

}  // namespace vantrok::sim::driver
