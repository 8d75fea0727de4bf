#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "db/DateTime.h"
#include "import/Clock.h"

namespace vantrok::soak {

// A moment of simulated local time, to the second.
using Moment = std::chrono::sys_seconds;

// Reads "YYYY-MM-DD" as that day's midnight; throws std::invalid_argument.
Moment parseDay(std::string_view text);
db::DateTime dateTimeOf(Moment moment);
// "YYYY-MM-DD HH:MM:SS", as the station's tools take it.
std::string stationText(Moment moment);
// "YYYY-MM-DD HH:MM:SS.000", as the station stores a datetime.
std::string storedText(Moment moment);

Moment startOfDay(Moment moment);
Moment endOfDay(Moment moment);
Moment endOfMonth(Moment moment);

// The bridge's clock, moved by the soak from tick to tick.
class SimulatedClock final : public Clock {
public:
    explicit SimulatedClock(Moment start) : now_(start) {}
    db::DateTime now() const override { return dateTimeOf(now_); }
    Moment moment() const noexcept { return now_; }
    void set(Moment moment) noexcept { now_ = moment; }

private:
    Moment now_;
};

}  // namespace vantrok::soak
