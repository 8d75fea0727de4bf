#include "sim/engine/SqlDecimal.h"

#include <algorithm>
#include <limits>

namespace vantrok::sim {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string stripLeadingZeros(std::string digits) {
    std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string() : digits.substr(first);
}

// Adds one to a string of decimal digits.
void increment(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

}  // namespace

std::optional<SqlDecimal> SqlDecimal::parse(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return std::nullopt;
    std::string_view s = text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
    SqlDecimal d;
    if (s.front() == '+' || s.front() == '-') {
        d.negative_ = s.front() == '-';
        s.remove_prefix(1);
    }
    std::size_t point = s.find('.');
    std::string_view whole = s.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : s.substr(point + 1);
    if (whole.empty() && fraction.empty()) return std::nullopt;
    for (char c : whole)
        if (!isDigit(c)) return std::nullopt;
    for (char c : fraction)
        if (!isDigit(c)) return std::nullopt;
    d.integer_ = stripLeadingZeros(std::string(whole));
    d.fraction_ = std::string(fraction);
    if (d.integer_.empty() && d.fraction_.find_first_not_of('0') == std::string::npos) d.negative_ = false;
    return d;
}

std::optional<SqlDecimal> SqlDecimal::fitTo(int precision, int scale) const {
    auto wanted = static_cast<std::size_t>(scale);
    std::string digits = integer_ + fraction_.substr(0, std::min(wanted, fraction_.size()));
    digits.append(wanted > fraction_.size() ? wanted - fraction_.size() : 0, '0');
    if (fraction_.size() > wanted && fraction_[wanted] >= '5') increment(digits);
    SqlDecimal out;
    out.integer_ = stripLeadingZeros(digits.substr(0, digits.size() - wanted));
    out.fraction_ = digits.substr(digits.size() - wanted);
    if (out.integer_.size() > static_cast<std::size_t>(precision - scale)) return std::nullopt;
    bool zero = out.integer_.empty() && out.fraction_.find_first_not_of('0') == std::string::npos;
    out.negative_ = negative_ && !zero;
    return out;
}

std::optional<std::int32_t> SqlDecimal::toInt32() const {
    if (integer_.size() > 10) return std::nullopt;
    std::int64_t magnitude = 0;
    for (char c : integer_) magnitude = magnitude * 10 + (c - '0');
    std::int64_t value = negative_ ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<std::int64_t> SqlDecimal::scaled(int scale) const {
    auto fitted = fitTo(18, scale);
    if (!fitted) return std::nullopt;
    std::int64_t v = 0;
    for (char c : fitted->integer_ + fitted->fraction_) v = v * 10 + (c - '0');
    return fitted->negative_ ? -v : v;
}

SqlDecimal SqlDecimal::fromScaled(std::int64_t value, int scale) {
    SqlDecimal d;
    d.negative_ = value < 0;
    std::string digits = std::to_string(value < 0 ? -value : value);
    auto wanted = static_cast<std::size_t>(scale);
    if (digits.size() <= wanted) digits.insert(0, wanted + 1 - digits.size(), '0');
    d.integer_ = stripLeadingZeros(digits.substr(0, digits.size() - wanted));
    d.fraction_ = digits.substr(digits.size() - wanted);
    return d;
}

std::string SqlDecimal::toString() const {
    std::string s = negative_ ? "-" : "";
    s += integer_.empty() ? "0" : integer_;
    if (!fraction_.empty()) s += "." + fraction_;
    return s;
}

}  // namespace vantrok::sim
