#include "sim/engine/SqlInt.h"

#include <limits>

namespace vantrok::sim {

IntParse parseSqlInt(std::string_view text, std::int32_t& value) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) {
        value = 0;
        return IntParse::Ok;
    }
    std::size_t end = text.find_last_not_of(' ') + 1;
    std::string_view s = text.substr(begin, end - begin);
    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    std::int64_t magnitude = 0;
    bool overflow = false;
    for (char c : s) {
        if (c < '0' || c > '9') return IntParse::Invalid;
        if (!overflow) {
            magnitude = magnitude * 10 + (c - '0');
            overflow = magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
        }
    }
    std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (overflow || signedValue > std::numeric_limits<std::int32_t>::max()) return IntParse::Overflow;
    value = static_cast<std::int32_t>(signedValue);
    return IntParse::Ok;
}

}  // namespace vantrok::sim

#include "sim/engine/SqlErrors.h"

namespace vantrok::sim {

std::int32_t intFromLiteral(std::string_view literal) {
    std::int32_t value = 0;
    switch (parseSqlInt(literal, value)) {
    case IntParse::Ok: return value;
    case IntParse::Invalid: throw errors::varcharToInt(literal);
    case IntParse::Overflow: throw errors::varcharIntOverflow(literal);
    }
    return value;
}

}  // namespace vantrok::sim
