#pragma once

#include <cstdint>

#include "check/status/ZoneRules.h"
#include "db/DateTime.h"

namespace vantrok::check {

// The server's clock read at one instant: GETDATE() and GETUTCDATE().
struct ServerClock {
    db::DateTime local;
    db::DateTime utc;
};

// The station's local times (the controller stamps deliveries in the server's
// local time) as UTC, with the server's own clock as now. Ages then depend
// neither on the PC's clock nor, where the server can tell, on its zone rules.
class StationTime {
public:
    // pcUtcSeconds: the PC's clock at the probe, for the skew alone. The PC's
    // rules convert past moments only where they give the server's offset of
    // now; a PC in another zone leaves the server's present offset for all.
    StationTime(const ServerClock& server, std::int64_t pcUtcSeconds, const ZoneRules& pcRules);

    std::int64_t nowSeconds() const { return serverUtc_; }
    // The server's clock ahead of the PC's (negative: behind).
    std::int64_t clockSkewSeconds() const { return serverUtc_ - pcUtc_; }
    // A local moment of the station in Unix seconds. In the repeated autumn
    // hour it is the later of its two readings that is not after now, so an
    // age is never an hour too old; a moment the spring change skipped takes
    // the offset from before it.
    std::int64_t utcSeconds(const db::DateTime& local) const;

private:
    std::int64_t offsetAt(std::int64_t utcSeconds) const;

    std::int64_t serverUtc_;
    std::int64_t pcUtc_;
    std::int64_t serverOffset_;
    const ZoneRules& rules_;
    bool rulesFit_;
};

}  // namespace vantrok::check
