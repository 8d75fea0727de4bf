#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "db/DateTime.h"
#include "db/Decimal.h"

namespace vantrok::db {

struct Null {
    friend bool operator==(Null, Null) { return true; }
};

// One column value with the type the database delivered, or one parameter value.
using Value = std::variant<Null, std::int64_t, Decimal, double, std::string, DateTime>;

inline bool isNull(const Value& v) { return std::holds_alternative<Null>(v); }

}  // namespace vantrok::db
