#include "check/station/CalendarDay.h"

#include <charconv>
#include <chrono>

#include "import/DateText.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

bool readDigits(std::string_view text, int& number) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return std::from_chars(text.data(), text.data() + text.size(), number).ec == std::errc{};
}

}  // namespace

std::optional<CalendarDay> parseIsoDay(std::string_view text) {
    CalendarDay day;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !readDigits(text.substr(0, 4), day.year) ||
        !readDigits(text.substr(5, 2), day.month) || !readDigits(text.substr(8, 2), day.day)) {
        return std::nullopt;
    }
    if (day.year < 1 || day.month < 1 || day.month > 12 || day.day < 1 ||
        day.day > daysInMonth(day.year, day.month)) {
        return std::nullopt;
    }
    return day;
}

std::string isoText(const CalendarDay& day) {
    return paddedText(day.year, 4) + "-" + paddedText(day.month, 2) + "-" + paddedText(day.day, 2);
}

std::string isoText(const db::DateTime& moment) {
    return isoText(dayOf(moment)) + " " + paddedText(moment.hour, 2) + ":" + paddedText(moment.minute, 2) + ":" +
           paddedText(moment.second, 2);
}

CalendarDay dayOf(const db::DateTime& moment) { return {moment.year, moment.month, moment.day}; }

db::DateTime midnightOf(const CalendarDay& day) { return {day.year, day.month, day.day, 0, 0, 0, 0}; }

CalendarDay nextDay(const CalendarDay& day) {
    if (day.day < daysInMonth(day.year, day.month)) return {day.year, day.month, day.day + 1};
    return firstOfNextMonth(day);
}

CalendarDay daysBefore(const CalendarDay& day, int count) {
    using namespace std::chrono;
    const year_month_day earlier{sys_days{year{day.year} / day.month / day.day} - days{count}};
    return {static_cast<int>(earlier.year()), static_cast<int>(static_cast<unsigned>(earlier.month())),
            static_cast<int>(static_cast<unsigned>(earlier.day()))};
}

CalendarDay firstOfNextMonth(const CalendarDay& day) {
    return day.month == 12 ? CalendarDay{day.year + 1, 1, 1} : CalendarDay{day.year, day.month + 1, 1};
}

}  // namespace vantrok::check
