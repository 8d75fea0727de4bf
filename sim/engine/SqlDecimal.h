#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrok::sim {

// An exact decimal number held as its digits, as decimal(p,s) values are.
class SqlDecimal {
public:
    // Blanks around, an optional sign, digits with an optional point; at least
    // one digit (SQL Server's varchar to numeric).
    static std::optional<SqlDecimal> parse(std::string_view text);

    // Rounded half away from zero to scale; nullopt when the integer part does
    // not fit decimal(precision, scale).
    std::optional<SqlDecimal> fitTo(int precision, int scale) const;

    // Truncated toward zero; nullopt beyond the 32-bit range.
    std::optional<std::int32_t> toInt32() const;

    // The value times 10^scale, rounded as fitTo rounds; nullopt beyond 18 digits.
    std::optional<std::int64_t> scaled(int scale) const;
    static SqlDecimal fromScaled(std::int64_t value, int scale);

    // "-12.340": exactly the fractional digits held, at least one integer digit.
    std::string toString() const;

private:
    bool negative_ = false;
    std::string integer_;   // without leading zeros; empty is 0
    std::string fraction_;  // exactly as many digits as the scale
};

}  // namespace vantrok::sim
