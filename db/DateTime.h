#pragma once

namespace vantrok::db {

// A calendar date and time of day as the database or the clock gives it.
struct DateTime {
    int year = 1900;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int nanosecond = 0;

    friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

}  // namespace vantrok::db
