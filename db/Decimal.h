#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrok::db {

// An exact decimal as the database delivered it: sign, digits and scale, never
// a binary approximation. "45.460" keeps its three decimals.
class Decimal {
public:
    Decimal() = default;
    // Accepts [-+]digits[.digits]; throws std::invalid_argument otherwise.
    static Decimal parse(std::string_view text);

    // Canonical text: "-" if negative, at least one integer digit, the scale's decimals.
    std::string toString() const;
    int scale() const noexcept { return scale_; }
    bool isZero() const noexcept;

    // value / divisor rounded to the nearest whole number, an exact half to
    // the even neighbour, computed exactly. Throws std::domain_error on a zero
    // divisor and std::overflow_error beyond the 32-bit signed range.
    static std::int32_t divideRoundHalfEven(const Decimal& value, const Decimal& divisor);

    // Nearest double, for the few places that work in floating point.
    double toDouble() const;

    // Exact sums and differences, at the greater scale of the two.
    friend Decimal operator+(const Decimal& a, const Decimal& b);
    friend Decimal operator-(const Decimal& a, const Decimal& b);
    Decimal operator-() const;

    friend bool operator==(const Decimal&, const Decimal&) = default;

private:
    bool negative_ = false;
    std::string digits_ = "0";  // all digits, without a point; no leading zeros beyond the integer part's first
    int scale_ = 0;              // how many of digits_ are decimals
};

}  // namespace vantrok::db
