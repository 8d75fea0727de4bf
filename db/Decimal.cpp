#include "db/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <stdexcept>

namespace vantrok::db {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Unsigned magnitudes as digit strings without leading zeros ("0" for zero).
std::string trimLeadingZeros(std::string digits) {
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return "0";
    return digits.substr(first);
}

int compareMagnitude(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

// a - b for a >= b.
std::string subtractMagnitude(const std::string& a, const std::string& b) {
    std::string result = a;
    int borrow = 0;
    for (std::size_t i = 0; i < result.size(); ++i) {
        std::size_t ai = result.size() - 1 - i;
        int d = (result[ai] - '0') - borrow - (i < b.size() ? b[b.size() - 1 - i] - '0' : 0);
        borrow = d < 0 ? 1 : 0;
        result[ai] = static_cast<char>('0' + (d + 10 * borrow));
    }
    return trimLeadingZeros(result);
}

std::string addMagnitude(const std::string& a, const std::string& b) {
    std::string result;
    int carry = 0;
    for (std::size_t i = 0; i < a.size() || i < b.size() || carry; ++i) {
        int d = carry + (i < a.size() ? a[a.size() - 1 - i] - '0' : 0) + (i < b.size() ? b[b.size() - 1 - i] - '0' : 0);
        carry = d / 10;
        result.insert(result.begin(), static_cast<char>('0' + d % 10));
    }
    return trimLeadingZeros(result);
}

}  // namespace

Decimal Decimal::parse(std::string_view text) {
    Decimal d;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        d.negative_ = text[pos] == '-';
        ++pos;
    }
    std::string integerDigits;
    while (pos < text.size() && isDigit(text[pos])) integerDigits += text[pos++];
    std::string fractionDigits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) fractionDigits += text[pos++];
    }
    // Some drivers write values below one as ".50": a digit on either side suffices.
    if (pos != text.size() || (integerDigits.empty() && fractionDigits.empty())) {
        throw std::invalid_argument("not a decimal number: '" + std::string(text) + "'");
    }
    d.digits_ = trimLeadingZeros(integerDigits) + fractionDigits;
    d.scale_ = static_cast<int>(fractionDigits.size());
    if (d.isZero()) d.negative_ = false;
    return d;
}

std::string Decimal::toString() const {
    std::size_t integerLength = digits_.size() - static_cast<std::size_t>(scale_);
    std::string text = negative_ ? "-" : "";
    text += digits_.substr(0, integerLength);
    if (scale_ > 0) text += "." + digits_.substr(integerLength);
    return text;
}

bool Decimal::isZero() const noexcept { return digits_.find_first_not_of('0') == std::string::npos; }

std::int32_t Decimal::divideRoundHalfEven(const Decimal& value, const Decimal& divisor) {
    if (divisor.isZero()) throw std::domain_error("division by zero");
    // value / divisor == (v * 10^ds) / (d * 10^vs) with v, d the unscaled digits.
    const std::string numerator = value.digits_ + std::string(static_cast<std::size_t>(divisor.scale_), '0');
    const std::string denominator =
        trimLeadingZeros(divisor.digits_ + std::string(static_cast<std::size_t>(value.scale_), '0'));

    constexpr std::uint64_t limit = 2147483648ULL;  // magnitude of INT32_MIN
    std::uint64_t quotient = 0;
    std::string remainder = "0";
    for (char digit : numerator) {
        remainder = trimLeadingZeros(remainder + digit);
        int times = 0;
        while (compareMagnitude(remainder, denominator) >= 0) {
            remainder = subtractMagnitude(remainder, denominator);
            ++times;
        }
        quotient = quotient * 10 + static_cast<std::uint64_t>(times);
        if (quotient > limit) throw std::overflow_error("quotient beyond the 32-bit range");
    }

    const int half = compareMagnitude(remainder, subtractMagnitude(denominator, remainder));
    if (half > 0 || (half == 0 && quotient % 2 == 1)) ++quotient;

    const bool negative = value.negative_ != divisor.negative_;
    if (quotient > (negative ? limit : limit - 1)) throw std::overflow_error("quotient beyond the 32-bit range");
    const auto magnitude = static_cast<std::int64_t>(quotient);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

Decimal Decimal::operator-() const {
    Decimal negated = *this;
    negated.negative_ = !negative_ && !isZero();
    return negated;
}

Decimal operator+(const Decimal& a, const Decimal& b) {
    const int scale = std::max(a.scale_, b.scale_);
    const auto unscaled = [scale](const Decimal& d) {
        return trimLeadingZeros(d.digits_ + std::string(static_cast<std::size_t>(scale - d.scale_), '0'));
    };
    const std::string x = unscaled(a);
    const std::string y = unscaled(b);
    Decimal sum;
    sum.scale_ = scale;
    if (a.negative_ == b.negative_) {
        sum.digits_ = addMagnitude(x, y);
        sum.negative_ = a.negative_;
    } else if (compareMagnitude(x, y) >= 0) {
        sum.digits_ = subtractMagnitude(x, y);
        sum.negative_ = a.negative_;
    } else {
        sum.digits_ = subtractMagnitude(y, x);
        sum.negative_ = b.negative_;
    }
    // At least one integer digit before the scale's decimals.
    if (sum.digits_.size() <= static_cast<std::size_t>(scale))
        sum.digits_.insert(0, static_cast<std::size_t>(scale) + 1 - sum.digits_.size(), '0');
    if (sum.isZero()) sum.negative_ = false;
    return sum;
}

Decimal operator-(const Decimal& a, const Decimal& b) { return a + -b; }

double Decimal::toDouble() const {
    const std::string text = toString();
    double result = 0;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

}  // namespace vantrok::db
