#include "import/DateText.h"

#include <array>
#include <cctype>
#include <charconv>

#include "import/NumberText.h"
#include "import/ValueError.h"

namespace vantrok {

namespace {

constexpr std::array<std::string_view, 12> monthAbbreviations = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

[[noreturn]] void typeMismatch(std::string_view text) {
    throw ValueError("Type mismatch: '" + std::string(text) + "' is not a date");
}

// Reads 1 to maxDigits digits at pos; moves pos past them.
bool readNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits, int& number) {
    std::size_t end = pos;
    while (end < text.size() && end - pos < maxDigits &&
           std::isdigit(static_cast<unsigned char>(text[end]))) {
        ++end;
    }
    if (end == pos) return false;
    std::from_chars(text.data() + pos, text.data() + end, number);
    pos = end;
    return true;
}

bool readChar(std::string_view text, std::size_t& pos, char expected) {
    if (pos >= text.size() || text[pos] != expected) return false;
    ++pos;
    return true;
}

bool readMonth(std::string_view text, std::size_t& pos, int& month) {
    if (text.size() - pos < 3) return false;
    for (std::size_t i = 0; i < monthAbbreviations.size(); ++i) {
        const std::string_view name = monthAbbreviations[i];
        bool same = true;
        for (std::size_t c = 0; c < 3; ++c) {
            same = same && std::tolower(static_cast<unsigned char>(text[pos + c])) ==
                               std::tolower(static_cast<unsigned char>(name[c]));
        }
        if (same) {
            month = static_cast<int>(i) + 1;
            pos += 3;
            return true;
        }
    }
    return false;
}

}  // namespace

int daysInMonth(int year, int month) {
    constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[static_cast<std::size_t>(month - 1)];
}

std::string dateText(const db::DateTime& moment) {
    return paddedText(moment.day, 2) + "-" +
           std::string(monthAbbreviations.at(static_cast<std::size_t>(moment.month - 1))) + "-" +
           paddedText(moment.year, 4);
}

std::string dateTimeText(const db::DateTime& moment) {
    return dateText(moment) + " " + paddedText(moment.hour, 2) + ":" + paddedText(moment.minute, 2) +
           ":" + paddedText(moment.second, 2);
}

db::DateTime parseDateTimeText(std::string_view text) {
    db::DateTime moment;
    std::size_t pos = 0;
    if (!readNumber(text, pos, 2, moment.day) || !readChar(text, pos, '-') ||
        !readMonth(text, pos, moment.month) || !readChar(text, pos, '-') ||
        !readNumber(text, pos, 4, moment.year)) {
        typeMismatch(text);
    }
    if (pos < text.size()) {
        if (!readChar(text, pos, ' ') || !readNumber(text, pos, 2, moment.hour) ||
            !readChar(text, pos, ':') || !readNumber(text, pos, 2, moment.minute)) {
            typeMismatch(text);
        }
        if (pos < text.size() && (!readChar(text, pos, ':') || !readNumber(text, pos, 2, moment.second))) {
            typeMismatch(text);
        }
    }
    if (pos != text.size() || moment.year < 1 || moment.day < 1 ||
        moment.day > daysInMonth(moment.year, moment.month) || moment.hour > 23 ||
        moment.minute > 59 || moment.second > 59) {
        typeMismatch(text);
    }
    return moment;
}

}  // namespace vantrok
