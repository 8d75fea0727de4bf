#include "import/NumberText.h"

#include <array>
#include <charconv>

namespace vantrok {

std::string decimalText(long long number) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
    return std::string(buffer.data(), result.ptr);
}

std::string paddedText(long long number, int width) {
    std::string digits = decimalText(number < 0 ? -number : number);
    if (static_cast<int>(digits.size()) < width) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    }
    return number < 0 ? "-" + digits : digits;
}

std::string fourDecimalsText(double number) {
    // Fixed notation of a double can need some 310 integer digits.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number,
                                      std::chars_format::fixed, 4);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace vantrok
