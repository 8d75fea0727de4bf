#include "check/station/CivilSeconds.h"

namespace vantrok::check {

namespace {

constexpr std::int64_t secondsADay = 24 * 60 * 60;

// Days from 1970-01-01 in the proleptic Gregorian calendar, counted in
// 400-year eras of 146097 days each.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::int64_t civilSeconds(const db::DateTime& moment) {
    return daysFromCivil(moment.year, moment.month, moment.day) * secondsADay + moment.hour * 3600 +
           moment.minute * 60 + moment.second;
}

db::DateTime civilMoment(std::int64_t seconds) {
    std::int64_t days = seconds / secondsADay;
    std::int64_t rest = seconds % secondsADay;
    if (rest < 0) {
        rest += secondsADay;
        --days;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    db::DateTime out;
    out.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    out.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    out.year = static_cast<int>(yearOfEra + era * 400 + (out.month <= 2));
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest % 3600 / 60);
    out.second = static_cast<int>(rest % 60);
    return out;
}

}  // namespace vantrok::check
