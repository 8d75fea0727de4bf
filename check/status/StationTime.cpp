#include "check/status/StationTime.h"

#include <optional>

#include "check/station/CivilSeconds.h"

namespace vantrok::check {

namespace {

constexpr std::int64_t aDay = 24 * 60 * 60;

// Zone offsets are whole minutes; the server's two readings may straddle a tick.
std::int64_t wholeMinutes(std::int64_t seconds) { return (seconds + (seconds >= 0 ? 30 : -30)) / 60 * 60; }

}  // namespace

StationTime::StationTime(const ServerClock& server, std::int64_t pcUtcSeconds, const ZoneRules& pcRules)
    : serverUtc_(civilSeconds(server.utc)),
      pcUtc_(pcUtcSeconds),
      serverOffset_(wholeMinutes(civilSeconds(server.local) - civilSeconds(server.utc))),
      rules_(pcRules),
      rulesFit_(offsetAt(serverUtc_) == serverOffset_) {}

std::int64_t StationTime::offsetAt(std::int64_t utcSeconds) const {
    return civilSeconds(rules_.localAt(utcSeconds)) - utcSeconds;
}

std::int64_t StationTime::utcSeconds(const db::DateTime& local) const {
    const std::int64_t wall = civilSeconds(local);
    if (!rulesFit_) return wall - serverOffset_;
    // A day either side holds both offsets around any change.
    const std::int64_t offsetBefore = offsetAt(wall - aDay);
    std::optional<std::int64_t> chosen;
    for (const std::int64_t offset : {offsetBefore, offsetAt(wall + aDay)}) {
        const std::int64_t candidate = wall - offset;
        if (offsetAt(candidate) != offset) continue;  // not a reading of this wall time
        const bool better = !chosen || (candidate <= serverUtc_ ? *chosen > serverUtc_ || candidate > *chosen
                                                                : *chosen > serverUtc_ && candidate < *chosen);
        if (better) chosen = candidate;
    }
    return chosen.value_or(wall - offsetBefore);
}

}  // namespace vantrok::check
