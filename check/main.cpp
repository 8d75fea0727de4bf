// vantrok-check: did every delivery at the pumps reach the sales database,
// once? `report` answers for a range of days; `carry` writes the deliveries
// that no import will select any more through VANTROK's own daily-sale write.
// It connects as VANTROK does. Exits 0 when everything is accounted for (or,
// carrying, everything listed was written), 1 when something is not, 2 on
// bad arguments or when the databases cannot be reached. `status` is a probe
// for monitoring systems, with the monitoring plugins' exit codes. `login`
// keeps the station's own login for both programs on this PC.

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "check/Arguments.h"
#include "check/Console.h"
#include "check/carry/CarryCommand.h"
#include "check/login/LoginCommand.h"
#include "check/report/ReportCommand.h"
#include "check/status/StatusCommand.h"
#include "check/status/VantrokRunning.h"
#include "db/MachineLoginVault.h"
#include "import/Bridge.h"
#include "import/StderrTrace.h"
#include "import/SystemClock.h"
#include "import/ToolStart.h"

int main(int argc, char** argv) {
    using namespace vantrok;
    using namespace vantrok::check;
    SystemClock clock;
    const std::unique_ptr<db::LoginVault> logins = db::machineLoginVault();
    if (argc >= 2 && std::string_view(argv[1]) == "status")
        return runStatus(argc, argv, clock, vantrokRunning, *logins);
    if (argc >= 2 && std::string_view(argv[1]) == "login") {
        StderrTrace trace;
        const LoginOutcome outcome = runLogin(argc, argv, *logins, *consolePasswordInput(), clock, trace);
        if (outcome.exitCode == 0) print(outcome.message);
        else std::fputs(outcome.message.c_str(), stderr);
        return outcome.exitCode;
    }
    std::string problem;
    const auto arguments = parseArguments(argc, argv, dayOf(clock.now()), problem);
    if (!arguments) {
        if (!problem.empty()) std::fprintf(stderr, "vantrok-check: %s\n", problem.c_str());
        std::fputs(usage, stderr);
        return 2;
    }
    StderrTrace trace;
    Bridge bridge(clock, trace);
    bridge.useLoginStore(*logins);
    if (!startBridge(bridge, "vantrok-check")) return 2;
    try {
        return arguments->command == Command::Report ? runReport(bridge, *arguments) : runCarry(bridge, *arguments);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrok-check: %s\n", error.what());
        return 1;
    }
}
