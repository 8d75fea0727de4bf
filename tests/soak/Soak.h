#pragma once

#include <cstdint>
#include <string>

#include "import/Trace.h"
#include "tests/soak/DeliveryLedger.h"
#include "tests/soak/FaultSwitches.h"
#include "tests/soak/Forecourt.h"
#include "tests/support/TestStation.h"

namespace vantrok::soak {

// Simulated days from firstDay on, each with a few bursts of ticks on the
// real schedule (import every 4 s, backup every 10 s); the clock jumps over
// the quiet hours between bursts. The first burst of a day starts just after
// midnight, the last ends just before the next.
struct SoakPlan {
    std::uint64_t seed = 1;
    std::string firstDay = "2016-12-29";
    int days = 5;
    int importTicks = 2'000;  // over all days
    ForecourtChances forecourt;
    FaultChances faults;
};

// Throws std::invalid_argument for a plan that cannot be run.
void checkPlan(const SoakPlan& plan);
// Backup ticks come every 10 s, import ticks every 4 s.
double expectedBackupTicks(const SoakPlan& plan);

struct SoakFigures {
    int importTicks = 0;
    int backupTicks = 0;
    int ticksWithErrors = 0;  // ticks whose trap caught something
    int tracedErrors = 0;
    FaultCounts faults;
    ForecourtCounts forecourt;
    LedgerOutcome deliveries;
    bool backupsInStep = false;  // after a break at the end, backup ticks alone bring them up to date

    bool sound() const { return deliveries.sound() && backupsInStep; }
};

// Runs the plan against the station (registering it for this process) and
// checks the daily sales. Every line the ticks traced also goes to echo, if
// given, after the simulated time.
SoakFigures runSoak(const SoakPlan& plan, testing::TestStation& station, Trace* echo = nullptr);

}  // namespace vantrok::soak
