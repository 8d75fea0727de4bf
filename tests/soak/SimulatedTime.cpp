#include "tests/soak/SimulatedTime.h"

#include <charconv>
#include <stdexcept>

namespace vantrok::soak {

namespace {

using namespace std::chrono;

std::string twoDigits(long value) {
    return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

int number(std::string_view text, std::string_view whole) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size())
        throw std::invalid_argument("'" + std::string(whole) + "' is no day of the form YYYY-MM-DD");
    return value;
}

}  // namespace

Moment parseDay(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        throw std::invalid_argument("'" + std::string(text) + "' is no day of the form YYYY-MM-DD");
    const year_month_day day{year{number(text.substr(0, 4), text)},
                             month{static_cast<unsigned>(number(text.substr(5, 2), text))},
                             std::chrono::day{static_cast<unsigned>(number(text.substr(8, 2), text))}};
    if (!day.ok()) throw std::invalid_argument("'" + std::string(text) + "' is no day of the calendar");
    return Moment{sys_days{day}};
}

db::DateTime dateTimeOf(Moment moment) {
    const sys_days day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss time{moment - day};
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count()),
            0};
}

std::string stationText(Moment moment) {
    const db::DateTime t = dateTimeOf(moment);
    return std::to_string(t.year) + "-" + twoDigits(t.month) + "-" + twoDigits(t.day) + " " + twoDigits(t.hour) +
           ":" + twoDigits(t.minute) + ":" + twoDigits(t.second);
}

std::string storedText(Moment moment) { return stationText(moment) + ".000"; }

Moment startOfDay(Moment moment) { return Moment{floor<days>(moment)}; }

Moment endOfDay(Moment moment) { return startOfDay(moment) + days{1}; }

Moment endOfMonth(Moment moment) {
    const year_month_day date{floor<days>(moment)};
    return Moment{sys_days{year_month_day{date.year() / date.month() / 1} + months{1}}};
}

}  // namespace vantrok::soak
