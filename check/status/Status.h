#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "check/report/Reconciliation.h"
#include "check/status/PluginRange.h"
#include "check/status/StatusReadings.h"
#include "check/status/ZoneRules.h"
#include "db/Connection.h"
#include "db/DateTime.h"

namespace vantrok::check {

// The monitoring plugins' levels, which are also their exit codes.
enum class StatusLevel { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

const char* levelName(StatusLevel level);

// The ranges of the oldest waiting delivery's age, in seconds, outside which
// it is a warning, and critical.
struct Thresholds {
    PluginRange warning = PluginRange::upTo(5 * 60);
    PluginRange critical = PluginRange::upTo(30 * 60);
};

// The server's clock may stand this far from the PC's either way; beyond
// it, times the PC gives (the imports' selections, the day) drift from the
// controller's.
inline constexpr PluginRange clockSkewRange{-2 * 60, 2 * 60, false};

struct WaitingDelivery {
    std::int64_t id = 0;
    std::int64_t type = 0;
    db::DateTime since;  // cleared (live) or completed (offline), the station's local time
    std::int64_t sinceSeconds = 0;  // the same in Unix time
    std::int64_t ageSeconds = 0;
};

// What the databases told about the station's carrying, now.
struct StationFacts {
    int waiting = 0;  // selected by an import, and its write would go through
    std::optional<WaitingDelivery> oldestWaiting;
    std::vector<DeliveryFinding> stuck;         // selected, but the write fails as the data stand
    std::vector<DeliveryFinding> missingToday;  // completed today, and no import will select it
    std::vector<std::pair<std::int64_t, int>> repeatedToday;  // today's INV/C9 numbers used more than once, how often
    std::optional<db::DateTime> lastSale;
    std::optional<std::int64_t> lastSaleSeconds;
    std::int64_t clockSkewSeconds = 0;  // the server's clock ahead of the PC's

    std::int64_t oldestWaitingSeconds() const { return oldestWaiting ? oldestWaiting->ageSeconds : 0; }
};

// A delivery waits from its clearing (live) or completion (offline), aged by
// the server's clock in UTC, whatever the PC's clock says.
StationFacts stationFacts(const StatusReadings& readings, std::int64_t pcUtcSeconds, const ZoneRules& pcRules);

struct Status {
    StatusLevel level = StatusLevel::Ok;
    db::DateTime probedAt;              // the PC's local time
    std::int64_t probedAtSeconds = 0;   // the PC's clock in Unix time
    Thresholds thresholds;
    std::optional<StationFacts> station;  // none when the databases could not be read
    std::optional<bool> running;          // VANTROK.exe on this PC; none where that cannot be told
    std::vector<std::string> problems;    // short, the worst first; none when all is well
    std::vector<std::string> details;     // one a line: each delivery and number behind the problems
    std::int64_t probeMilliseconds = 0;
    bool timedOut = false;  // the probe's time ran out before the station answered
    std::optional<bool> builtinLogin = {};  // still the built-in sa; none when the stored login could not be read
};

// When and with what the probe ran.
struct ProbeContext {
    db::DateTime probedAt;
    std::int64_t probedAtSeconds = 0;
    Thresholds thresholds;
    std::optional<bool> running;
    // The most any login or statement may take: within the whole probe's
    // time-out, which ends it first.
    SQLULEN waitSeconds = db::Connection::commandTimeoutSeconds;
};

// Critical: the oldest waiting delivery's age outside the critical range.
// Warning: outside the warning range, or anything stuck, missing today or
// numbered twice today, the clocks apart, or VANTROK known not to run here.
Status judgeStatus(const ProbeContext& context, StationFacts station);
// The databases could not be read: critical when the station cannot be
// reached, unknown when a value cannot be read.
Status failedStatus(StatusLevel level, const ProbeContext& context, const std::string& problem);

}  // namespace vantrok::check
