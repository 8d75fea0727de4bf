#pragma once

#include <string>
#include <string_view>

#include "db/Decimal.h"
#include "db/Value.h"

namespace vantrok {

// Conversions of a delivered column value, as the write and the lookups need
// them. Each throws ValueError when the value does not convert (a null above all).

// Text: numbers as plain decimal digits (3 gives "3"), text as it is, a
// date-time as "dd-MMM-yyyy HH:mm:ss".
std::string valueText(const db::Value& value, std::string_view column);
// A date-time column, or text that reads as one.
db::DateTime valueDateTime(const db::Value& value, std::string_view column);
// The exact number a value stands for.
db::Decimal valueDecimal(const db::Value& value, std::string_view column);

}  // namespace vantrok
