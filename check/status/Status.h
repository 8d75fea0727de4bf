#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "check/report/Reconciliation.h"
#include "check/status/StatusReadings.h"
#include "db/DateTime.h"

namespace vantrok::check {

// The monitoring plugins' levels, which are also their exit codes.
enum class StatusLevel { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

const char* levelName(StatusLevel level);

// Ages of the oldest waiting delivery from which it is a warning, and critical.
struct Thresholds {
    std::int64_t warningSeconds = 5 * 60;
    std::int64_t criticalSeconds = 30 * 60;
};

struct WaitingDelivery {
    std::int64_t id = 0;
    std::int64_t type = 0;
    db::DateTime since;  // cleared (live) or completed (offline)
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

    std::int64_t oldestWaitingSeconds() const { return oldestWaiting ? oldestWaiting->ageSeconds : 0; }
};

// A delivery waits from its clearing (live) or completion (offline); a clock
// behind the controller's makes that no wait at all.
StationFacts stationFacts(const StatusReadings& readings);

struct Status {
    StatusLevel level = StatusLevel::Ok;
    db::DateTime probedAt;
    Thresholds thresholds;
    std::optional<StationFacts> station;  // none when the databases could not be read
    std::optional<bool> running;          // VANTROK.exe on this PC; none where that cannot be told
    std::vector<std::string> problems;    // the worst first; none when all is well
    std::optional<bool> builtinLogin = {};  // still the built-in sa; none when the stored login could not be read
};

// Critical: the oldest waiting delivery at the critical age. Warning: at the
// warning age, or anything stuck, missing today or numbered twice today, or
// VANTROK known not to run here.
Status judgeStatus(const db::DateTime& probedAt, const Thresholds& thresholds, StationFacts station,
                   std::optional<bool> running);
// The databases could not be read: critical when the station cannot be
// reached, unknown when a value cannot be read.
Status failedStatus(StatusLevel level, const db::DateTime& probedAt, const Thresholds& thresholds,
                    std::optional<bool> running, const std::string& problem);

}  // namespace vantrok::check
