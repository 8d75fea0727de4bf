#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/driver/OdbcApi.h"

namespace vantrok::sim::driver {

// An exact number in text form: [+-]digits[.digits], surrounding blanks allowed.
struct ExactNumber {
    bool negative = false;
    std::string integerDigits;   // without leading zeros; empty for zero
    std::string fractionDigits;  // as written
};

std::optional<ExactNumber> parseExactNumber(std::string_view text);

// "yyyy-mm-dd", "yyyy-mm-dd hh:mm", "yyyy-mm-dd hh:mm:ss" or with 1 to 9
// fraction digits; also "...T..." between date and time. Checked against the
// calendar.
std::optional<SQL_TIMESTAMP_STRUCT> parseTimestamp(std::string_view text);
// "hh:mm:ss" with an optional fraction.
std::optional<SQL_TIME_STRUCT> parseTime(std::string_view text);

bool validTimestamp(const SQL_TIMESTAMP_STRUCT& value);
// "yyyy-mm-dd hh:mm:ss.fff": the fraction cut to milliseconds.
std::string timestampText(const SQL_TIMESTAMP_STRUCT& value);

std::string_view trimBlanks(std::string_view text);

// UTF-8 <-> the driver manager's 2-byte SQLWCHAR (UTF-16); bad input becomes U+FFFD.
std::u16string utf16FromUtf8(std::string_view text);
std::string utf8FromUtf16(std::u16string_view text);

}  // namespace vantrok::sim::driver
