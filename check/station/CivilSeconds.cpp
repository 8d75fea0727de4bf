#include "check/station/LocalTime.h"

#include <ctime>

#include "check/station/CalendarDay.h"
#include "import/ValueError.h"

namespace vantrok::check {

std::int64_t epochSeconds(const db::DateTime& local) {
    std::tm fields{};
    fields.tm_year = local.year - 1900;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    fields.tm_isdst = -1;  // whatever applied at that moment
    const std::time_t seconds = std::mktime(&fields);
    if (seconds == static_cast<std::time_t>(-1))
        throw ValueError("the moment " + isoText(local) + " has no place in this computer's calendar");
    return static_cast<std::int64_t>(seconds);
}

}  // namespace vantrok::check
