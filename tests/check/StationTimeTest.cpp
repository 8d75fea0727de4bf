#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "check/station/CivilSeconds.h"
#include "check/status/StationTime.h"

namespace vantrok::check {
namespace {

constexpr std::int64_t hour = 3600;

db::DateTime at(int year, int month, int day, int h, int m, int s = 0) { return {year, month, day, h, m, s, 0}; }

// Central European rules: UTC+1, UTC+2 from the last Sunday of March to the
// last Sunday of October, both changes at 01:00 UTC.
class CentralEurope final : public ZoneRules {
public:
    db::DateTime localAt(std::int64_t utc) const override { return civilMoment(utc + offset(utc)); }

private:
    static std::int64_t lastSundayOneUtc(int year, int month) {
        std::int64_t day = civilSeconds(at(year, month + 1, 1, 0, 0)) / 86400 - 1;  // the month's last day
        while ((day + 4) % 7 != 0) --day;                                             // 1970-01-01 was a Thursday
        return day * 86400 + hour;
    }
    static std::int64_t offset(std::int64_t utc) {
        const int year = civilMoment(utc).year;
        return utc >= lastSundayOneUtc(year, 3) && utc < lastSundayOneUtc(year, 10) ? 2 * hour : hour;
    }
};

// A fixed zone without daylight saving, such as a PC set to UTC.
class FixedZone final : public ZoneRules {
public:
    explicit FixedZone(std::int64_t offset) : offset_(offset) {}
    db::DateTime localAt(std::int64_t utc) const override { return civilMoment(utc + offset_); }

private:
    std::int64_t offset_;
};

// The server's clock at a UTC moment in Central Europe, and the PC's in agreement.
StationTime stationAt(const db::DateTime& utc, const ZoneRules& pc, std::int64_t pcAhead = 0) {
    const CentralEurope server;
    const std::int64_t seconds = civilSeconds(utc);
    return StationTime({server.localAt(seconds), utc}, seconds + pcAhead, pc);
}

TEST(CivilSeconds, CountsUnixTimeAndBackAcrossLeapDaysAndCenturies) {
    EXPECT_EQ(civilSeconds(at(1970, 1, 1, 0, 0)), 0);
    EXPECT_EQ(civilSeconds(at(2016, 11, 25, 17, 42, 30)), 1480095750);
    EXPECT_EQ(civilSeconds(at(1900, 1, 1, 0, 0)), -2208988800);
    for (const db::DateTime& moment : {at(2000, 2, 29, 23, 59, 59), at(1753, 1, 1, 0, 0), at(9999, 12, 31, 23, 59, 59),
                                       at(2100, 3, 1, 0, 0, 1), at(1969, 12, 31, 23, 59, 59)})
        EXPECT_EQ(civilMoment(civilSeconds(moment)), moment) << civilSeconds(moment);
}

TEST(StationTime, AgesAcrossTheSpringChangeCountRealTime) {
    const CentralEurope pc;
    // 2026-03-29: 02:00 CET jumps to 03:00 CEST (01:00 UTC).
    const StationTime time = stationAt(at(2026, 3, 29, 1, 40), pc);  // 03:40 CEST
    EXPECT_EQ(time.nowSeconds() - time.utcSeconds(at(2026, 3, 29, 1, 50)), 50 * 60);
    EXPECT_EQ(time.nowSeconds() - time.utcSeconds(at(2026, 3, 29, 3, 5)), 35 * 60);
    // 02:30 showed only on a clock not yet put forward: the offset from before the change.
    EXPECT_EQ(time.nowSeconds() - time.utcSeconds(at(2026, 3, 29, 2, 30)), 10 * 60);
    EXPECT_EQ(time.clockSkewSeconds(), 0);
}

TEST(StationTime, TheRepeatedAutumnHourNeverAgesAnHourTooOld) {
    const CentralEurope pc;
    // 2026-10-25: 03:00 CEST falls back to 02:00 CET (01:00 UTC); 02:00 to 03:00 shows twice.
    const StationTime secondPass = stationAt(at(2026, 10, 25, 1, 40), pc);  // 02:40 CET
    EXPECT_EQ(secondPass.nowSeconds() - secondPass.utcSeconds(at(2026, 10, 25, 2, 30)), 10 * 60);
    EXPECT_EQ(secondPass.nowSeconds() - secondPass.utcSeconds(at(2026, 10, 25, 1, 55)), 45 * 60 + hour);
    const StationTime firstPass = stationAt(at(2026, 10, 25, 0, 40), pc);  // 02:40 CEST
    EXPECT_EQ(firstPass.nowSeconds() - firstPass.utcSeconds(at(2026, 10, 25, 2, 30)), 10 * 60);
    const StationTime after = stationAt(at(2026, 10, 25, 3, 0), pc);  // 04:00 CET
    EXPECT_EQ(after.nowSeconds() - after.utcSeconds(at(2026, 10, 25, 2, 59, 59)), hour + 1);
    EXPECT_EQ(after.nowSeconds() - after.utcSeconds(at(2026, 10, 24, 4, 0)), 25 * hour);
}

TEST(StationTime, APcInAnotherZoneTakesTheServersOffset) {
    const FixedZone utcPc(0);
    const StationTime time = stationAt(at(2026, 7, 1, 10, 0), utcPc);  // 12:00 CEST
    EXPECT_EQ(time.nowSeconds() - time.utcSeconds(at(2026, 7, 1, 11, 30)), 30 * 60);
    EXPECT_EQ(time.utcSeconds(at(2026, 7, 1, 12, 0)), civilSeconds(at(2026, 7, 1, 10, 0)));
}

TEST(StationTime, ThePcsClockCountsOnlyAsTheSkew) {
    const CentralEurope pc;
    const StationTime behind = stationAt(at(2026, 1, 15, 12, 0), pc, -40 * 60);  // the PC 40 min behind
    EXPECT_EQ(behind.clockSkewSeconds(), 40 * 60);
    EXPECT_EQ(behind.nowSeconds() - behind.utcSeconds(at(2026, 1, 15, 12, 50)), 10 * 60);
    EXPECT_EQ(stationAt(at(2026, 1, 15, 12, 0), pc, 90).clockSkewSeconds(), -90);
}

// This system's own rules, as the probe uses them here: Berlin's zone of
// 2026 and of 1990, whose autumn change came a month earlier.
TEST(StationTime, ThePlatformsZoneRulesGiveEachYearsChanges) {
    if (!std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin")) GTEST_SKIP() << "tzdata is not installed";
    const char* before = std::getenv("TZ");
    const std::string saved = before ? before : "";
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
    const ZoneRules& berlin = pcZoneRules();
    const CentralEurope rules;
    for (const std::int64_t utc : {civilSeconds(at(2026, 3, 29, 0, 59, 59)), civilSeconds(at(2026, 3, 29, 1, 0)),
                                   civilSeconds(at(2026, 10, 25, 0, 59, 59)), civilSeconds(at(2026, 10, 25, 1, 0))})
        EXPECT_EQ(berlin.localAt(utc), rules.localAt(utc)) << utc;
    EXPECT_EQ(berlin.localAt(civilSeconds(at(1990, 10, 1, 12, 0))), at(1990, 10, 1, 13, 0));  // standard time already
    const StationTime time = stationAt(at(2026, 10, 25, 1, 40), berlin);
    EXPECT_EQ(time.nowSeconds() - time.utcSeconds(at(2026, 10, 25, 2, 30)), 10 * 60);
    if (before) ::setenv("TZ", saved.c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
}  // namespace vantrok::check
