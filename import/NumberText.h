#pragma once

#include <string>

namespace vantrok {

// Numbers as the statements and the daily sale want them, never through the
// machine's locale: no grouping, "." as the decimal point.

// Plain decimal digits, no leading zeros ("7", "2016", "-3").
std::string decimalText(long long number);
// At least `width` digits, zero-padded ("00" gives 05; "yyyy" gives 0099).
std::string paddedText(long long number, int width);
// "0.0000": at least one integer digit, exactly four decimals.
std::string fourDecimalsText(double number);

}  // namespace vantrok
