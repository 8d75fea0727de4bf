#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

#include "db/DateTime.h"

namespace vantrok::check {

// One day of the calendar, the unit in which deliveries and their invoices
// are reconciled.
struct CalendarDay {
    int year = 1900;
    int month = 1;
    int day = 1;

    friend auto operator<=>(const CalendarDay&, const CalendarDay&) = default;
};

// "YYYY-MM-DD" of a day that exists; nothing else.
std::optional<CalendarDay> parseIsoDay(std::string_view text);
// "2016-11-25"
std::string isoText(const CalendarDay& day);
// "2016-11-25 17:42:30"
std::string isoText(const db::DateTime& moment);

CalendarDay dayOf(const db::DateTime& moment);
db::DateTime midnightOf(const CalendarDay& day);
CalendarDay nextDay(const CalendarDay& day);
// The day count days before (0: the day itself).
CalendarDay daysBefore(const CalendarDay& day, int count);
CalendarDay firstOfNextMonth(const CalendarDay& day);

// From the first day to the last, both included.
struct DayRange {
    CalendarDay first;
    CalendarDay last;

    bool contains(const CalendarDay& day) const { return first <= day && day <= last; }
};

}  // namespace vantrok::check
