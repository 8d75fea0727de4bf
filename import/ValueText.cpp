#include "import/ValueText.h"

#include <array>
#include <charconv>
#include <stdexcept>
#include <type_traits>

#include "import/DateText.h"
#include "import/NumberText.h"
#include "import/ValueError.h"

namespace vantrok {

namespace {

[[noreturn]] void invalidUseOfNull(std::string_view column) {
    throw ValueError("Invalid use of Null: " + std::string(column));
}

[[noreturn]] void typeMismatch(std::string_view column) {
    throw ValueError("Type mismatch: " + std::string(column));
}

std::string shortestText(double number) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), number);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::string valueText(const db::Value& value, std::string_view column) {
    return std::visit(
        [&](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, db::Null>) {
                invalidUseOfNull(column);
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                return decimalText(v);
            } else if constexpr (std::is_same_v<T, db::Decimal>) {
                return v.toString();
            } else if constexpr (std::is_same_v<T, double>) {
                return shortestText(v);
            } else if constexpr (std::is_same_v<T, std::string>) {
                return v;
            } else {
                return dateTimeText(v);
            }
        },
        value);
}

db::DateTime valueDateTime(const db::Value& value, std::string_view column) {
    if (db::isNull(value)) invalidUseOfNull(column);
    if (const auto* moment = std::get_if<db::DateTime>(&value)) return *moment;
    if (const auto* text = std::get_if<std::string>(&value)) return parseDateTimeText(*text);
    typeMismatch(column);
}

db::Decimal valueDecimal(const db::Value& value, std::string_view column) {
    if (db::isNull(value)) invalidUseOfNull(column);
    if (const auto* exact = std::get_if<db::Decimal>(&value)) return *exact;
    if (std::holds_alternative<db::DateTime>(value)) typeMismatch(column);
    std::string text;
    if (const auto* number = std::get_if<double>(&value)) {
        // Plain digits: the exact value's shortest round trip, never an exponent.
        std::array<char, 400> buffer{};
        const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), *number,
                                          std::chars_format::fixed);
        text.assign(buffer.data(), result.ptr);
    } else {
        text = valueText(value, column);
    }
    try {
        return db::Decimal::parse(text);
    } catch (const std::invalid_argument&) {
        typeMismatch(column);
    }
}

}  // namespace vantrok
