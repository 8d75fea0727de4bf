#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantrok::db {

// One diagnostic record as the driver reported it.
struct Diagnostic {
    std::string sqlstate;
    long nativeError = 0;
    std::string message;
};

// The one exception for database failures. Drivers often put the telling
// record second (01000 first, 08S01 after it), so every record is kept.
class DatabaseError : public std::runtime_error {
public:
    DatabaseError(std::string context, std::vector<Diagnostic> records);

    // What was being done, e.g. "executing statement".
    const std::string& context() const noexcept { return context_; }
    const std::vector<Diagnostic>& records() const noexcept { return records_; }

    // The first record that is not a warning (class 01), else the first record.
    const Diagnostic* primary() const noexcept;
    // True when any record's SQLSTATE begins with the given class or state.
    bool hasState(std::string_view prefix) const noexcept;

private:
    std::string context_;
    std::vector<Diagnostic> records_;
};

}  // namespace vantrok::db
