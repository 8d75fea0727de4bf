#include "app/WakeUpWait.h"

#include <algorithm>
#include <chrono>

namespace vantrok::app {

namespace {

using namespace std::chrono;

sys_seconds WholeSeconds(const db::DateTime& t) {
    const year_month_day date{year{t.year}, month{static_cast<unsigned>(t.month)},
                              day{static_cast<unsigned>(t.day)}};
    return sys_days{date} + hours{t.hour} + minutes{t.minute} + seconds{t.second};
}

db::DateTime FromSeconds(sys_seconds moment) {
    const auto days = floor<std::chrono::days>(moment);
    const year_month_day date{days};
    const hh_mm_ss time{moment - days};
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()), 0};
}

constexpr milliseconds LongestSleep{1000};

}  // namespace

db::DateTime WakeUpTime(const db::DateTime& now) {
    return FromSeconds(WholeSeconds(now) + minutes{1});
}

void WaitUntil(StartupPlatform& platform, const db::DateTime& wakeUp) {
    const sys_seconds target = WholeSeconds(wakeUp);
    for (;;) {
        const db::DateTime now = platform.now();
        const sys_seconds current = WholeSeconds(now);
        if (current >= target) return;
        const auto left = ceil<milliseconds>(target - current - nanoseconds{now.nanosecond});
        platform.sleepFor(std::clamp(left, milliseconds{1}, LongestSleep));
    }
}

}  // namespace vantrok::app
