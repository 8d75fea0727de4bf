#include "sim/driver/TextForms.h"

#include <cctype>

namespace vantrok::sim::driver {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads exactly `count` digits at `pos` into `value`.
bool readDigits(std::string_view text, std::size_t& pos, std::size_t count, int& value) {
    if (pos + count > text.size()) return false;
    value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (!isDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

// ":ss" and ".fffffffff" after "hh:mm"; both optional.
bool readSecondsAndFraction(std::string_view text, std::size_t& pos, int& second,
                            unsigned& fraction) {
    second = 0;
    fraction = 0;
    if (pos == text.size()) return true;
    if (!expect(text, pos, ':') || !readDigits(text, pos, 2, second)) return false;
    if (pos == text.size()) return true;
    if (!expect(text, pos, '.')) return false;
    const std::size_t start = pos;
    unsigned scale = 1000000000;
    while (pos < text.size() && isDigit(text[pos]) && pos - start < 9) {
        scale /= 10;
        fraction += static_cast<unsigned>(text[pos] - '0') * scale;
        ++pos;
    }
    return pos > start && pos == text.size();
}

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::optional<ExactNumber> parseExactNumber(std::string_view text) {
    text = trimBlanks(text);
    ExactNumber number;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        number.negative = text[pos++] == '-';
    std::size_t digits = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos, ++digits)
        if (!number.integerDigits.empty() || text[pos] != '0') number.integerDigits += text[pos];
    if (pos < text.size() && text[pos] == '.') {
        for (++pos; pos < text.size() && isDigit(text[pos]); ++pos, ++digits)
            number.fractionDigits += text[pos];
    }
    if (digits == 0 || pos != text.size()) return std::nullopt;
    return number;
}

bool validTimestamp(const SQL_TIMESTAMP_STRUCT& v) {
    return v.year >= 1 && v.year <= 9999 && v.month >= 1 && v.month <= 12 && v.day >= 1 &&
           v.day <= daysInMonth(v.year, v.month) && v.hour < 24 && v.minute < 60 &&
           v.second < 60 && v.fraction < 1000000000u;
}

std::optional<SQL_TIMESTAMP_STRUCT> parseTimestamp(std::string_view text) {
    text = trimBlanks(text);
    std::size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    unsigned fraction = 0;
    if (!readDigits(text, pos, 4, year) || !expect(text, pos, '-') ||
        !readDigits(text, pos, 2, month) || !expect(text, pos, '-') ||
        !readDigits(text, pos, 2, day))
        return std::nullopt;
    if (pos < text.size()) {
        if (text[pos] != ' ' && text[pos] != 'T') return std::nullopt;
        ++pos;
        if (!readDigits(text, pos, 2, hour) || !expect(text, pos, ':') ||
            !readDigits(text, pos, 2, minute) ||
            !readSecondsAndFraction(text, pos, second, fraction))
            return std::nullopt;
    }
    SQL_TIMESTAMP_STRUCT value{};
    value.year = static_cast<SQLSMALLINT>(year);
    value.month = static_cast<SQLUSMALLINT>(month);
    value.day = static_cast<SQLUSMALLINT>(day);
    value.hour = static_cast<SQLUSMALLINT>(hour);
    value.minute = static_cast<SQLUSMALLINT>(minute);
    value.second = static_cast<SQLUSMALLINT>(second);
    value.fraction = fraction;
    if (!validTimestamp(value)) return std::nullopt;
    return value;
}

std::optional<SQL_TIME_STRUCT> parseTime(std::string_view text) {
    text = trimBlanks(text);
    std::size_t pos = 0;
    int hour = 0, minute = 0, second = 0;
    unsigned fraction = 0;
    if (!readDigits(text, pos, 2, hour) || !expect(text, pos, ':') ||
        !readDigits(text, pos, 2, minute) || !readSecondsAndFraction(text, pos, second, fraction) ||
        hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return SQL_TIME_STRUCT{static_cast<SQLUSMALLINT>(hour), static_cast<SQLUSMALLINT>(minute),
                           static_cast<SQLUSMALLINT>(second)};
}

std::string timestampText(const SQL_TIMESTAMP_STRUCT& v) {
    auto digits = [](unsigned value, int width) {
        std::string text(static_cast<std::size_t>(width), '0');
        for (int i = width - 1; i >= 0; --i, value /= 10)
            text[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
        return text;
    };
    return digits(static_cast<unsigned>(v.year), 4) + "-" + digits(v.month, 2) + "-" +
           digits(v.day, 2) + " " + digits(v.hour, 2) + ":" + digits(v.minute, 2) + ":" +
           digits(v.second, 2) + "." + digits(v.fraction / 1000000u, 3);
}

std::u16string utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                                     : (lead >> 3) == 0x1E ? 4 : 0;
        char32_t code = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

std::string utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

}  // namespace vantrok::sim::driver
