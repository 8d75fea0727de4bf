#include "check/status/ZoneRules.h"

#include <windows.h>

#include <system_error>

#include "check/station/CivilSeconds.h"

namespace vantrok::check {

namespace {

// The dynamic time zone carries the rules of each year, where the C runtime
// would apply this year's daylight saving to every year. Each conversion
// takes the rules of its own year (the UTC one: no zone changes its rules
// on New Year's Eve).
class DynamicTimeZone final : public ZoneRules {
public:
    DynamicTimeZone() {
        if (GetDynamicTimeZoneInformation(&zone_) == TIME_ZONE_ID_INVALID)
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "reading the time zone");
    }

    db::DateTime localAt(std::int64_t utcSeconds) const override {
        const db::DateTime moment = civilMoment(utcSeconds);
        SYSTEMTIME utc{};
        utc.wYear = static_cast<WORD>(moment.year);
        utc.wMonth = static_cast<WORD>(moment.month);
        utc.wDay = static_cast<WORD>(moment.day);
        utc.wHour = static_cast<WORD>(moment.hour);
        utc.wMinute = static_cast<WORD>(moment.minute);
        utc.wSecond = static_cast<WORD>(moment.second);
        TIME_ZONE_INFORMATION rules{};
        SYSTEMTIME local{};
        if (!GetTimeZoneInformationForYear(utc.wYear, const_cast<DYNAMIC_TIME_ZONE_INFORMATION*>(&zone_), &rules) ||
            !SystemTimeToTzSpecificLocalTime(&rules, &utc, &local))
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "converting to local time");
        return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond, 0};
    }

private:
    DYNAMIC_TIME_ZONE_INFORMATION zone_{};
};

}  // namespace

const ZoneRules& pcZoneRules() {
    static const DynamicTimeZone zone;
    return zone;
}

}  // namespace vantrok::check
