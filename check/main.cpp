// vantrok-check: did every delivery at the pumps reach the sales database,
// once? `report` answers for a range of days; `carry` writes the deliveries
// that no import will select any more through VANTROK's own daily-sale write.
// It connects as VANTROK does. Exits 0 when everything is accounted for (or,
// carrying, everything listed was written), 1 when something is not, 2 on
// bad arguments or when the databases cannot be reached. `status` is a probe
// for monitoring systems, with the monitoring plugins' exit codes.

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "check/Arguments.h"
#include "check/carry/CarryCommand.h"
#include "check/report/ReportCommand.h"
#include "check/status/StatusCommand.h"
#include "check/status/VantrokRunning.h"
#include "import/Bridge.h"
#include "import/StderrTrace.h"
#include "import/SystemClock.h"
#include "import/ToolStart.h"

int main(int argc, char** argv) {
    using namespace vantrok;
    using namespace vantrok::check;
    SystemClock clock;
    if (argc >= 2 && std::string_view(argv[1]) == "status") return runStatus(argc, argv, clock, vantrokRunning);
    std::string problem;
    const auto arguments = parseArguments(argc, argv, dayOf(clock.now()), problem);
    if (!arguments) {
        if (!problem.empty()) std::fprintf(stderr, "vantrok-check: %s\n", problem.c_str());
        std::fputs(usage, stderr);
        return 2;
    }
    StderrTrace trace;
    Bridge bridge(clock, trace);
    if (!startBridge(bridge, "vantrok-check")) return 2;
    try {
        return arguments->command == Command::Report ? runReport(bridge, *arguments) : runCarry(bridge, *arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrok-check: %s\n", error.what());
        return 1;
    }
}
