// vantrok-cycle: runs the import and backup ticks against the databases of the
// connection texts, without start-up's wait and checks. For developers, tests
// and the demo; VANTROK.exe itself reads no command line.
//
//   vantrok-cycle [--import] [--backup] [--run SECONDS]
//
// Prints every daily sale written (tab-separated, positions 1 to 24) and the
// errors a tick caught. Exits 0 when no tick caught an error, 1 when one did,
// 2 when the connections could not be opened or the arguments are wrong.

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "backup/BackupTick.h"
#include "import/Bridge.h"
#include "import/ImportCycle.h"
#include "import/StderrTrace.h"
#include "import/SystemClock.h"
#include "import/ToolStart.h"
#include "import/ValueText.h"

namespace {

using namespace vantrok;
using SteadyClock = std::chrono::steady_clock;

enum class Step { Import, Backup, Run };

struct Arguments {
    std::vector<Step> steps;
    int runSeconds = 0;
};

bool parseArguments(int argc, char** argv, Arguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--import") {
            arguments.steps.push_back(Step::Import);
        } else if (argument == "--backup") {
            arguments.steps.push_back(Step::Backup);
        } else if (argument == "--run" && i + 1 < argc) {
            const std::string_view seconds = argv[++i];
            const auto result =
                std::from_chars(seconds.data(), seconds.data() + seconds.size(), arguments.runSeconds);
            if (result.ec != std::errc{} || result.ptr != seconds.data() + seconds.size() ||
                arguments.runSeconds <= 0) {
                return false;
            }
            arguments.steps.push_back(Step::Run);
        } else {
            return false;
        }
    }
    return !arguments.steps.empty();
}

void printSale(ImportKind kind, const SaleValues& values) {
    std::string line = kind == ImportKind::Live ? "live" : "offline";
    for (const db::Value& value : values) {
        line += '\t';
        line += db::isNull(value) ? "NULL" : valueText(value, "");
    }
    line += '\n';
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

// The window's schedule: the import every 4 s and the backup every 10 s from
// the start, never overlapping; ticks that fall due while one runs are not
// made up one by one.
bool runSchedule(Bridge& bridge, int runSeconds) {
    const auto end = SteadyClock::now() + std::chrono::seconds(runSeconds);
    auto nextImport = SteadyClock::now() + std::chrono::seconds(4);
    auto nextBackup = SteadyClock::now() + std::chrono::seconds(10);
    bool clean = true;
    for (;;) {
        const auto due = std::min(nextImport, nextBackup);
        if (due > end) {
            std::this_thread::sleep_until(end);
            break;
        }
        std::this_thread::sleep_until(due);
        if (nextImport <= nextBackup) {
            clean = ImportCycle(bridge) && clean;
            nextImport = std::max(nextImport + std::chrono::seconds(4), SteadyClock::now());
        } else {
            clean = BackupTick(bridge) && clean;
            nextBackup = std::max(nextBackup + std::chrono::seconds(10), SteadyClock::now());
        }
    }
    return clean;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!parseArguments(argc, argv, arguments)) {
        std::fputs("usage: vantrok-cycle [--import] [--backup] [--run SECONDS]\n", stderr);
        return 2;
    }

    SystemClock clock;
    StderrTrace trace;
    Bridge bridge(clock, trace);
    if (!startBridge(bridge, "vantrok-cycle")) return 2;
    bridge.onSaleWritten(printSale);

    bool clean = true;
    for (const Step step : arguments.steps) {
        switch (step) {
            case Step::Import: clean = ImportCycle(bridge) && clean; break;
            case Step::Backup: clean = BackupTick(bridge) && clean; break;
            case Step::Run: clean = runSchedule(bridge, arguments.runSeconds) && clean; break;
        }
    }
    if (!clean) std::fputs("vantrok-cycle: a tick caught an error\n", stderr);
    return clean ? 0 : 1;
}
