#include "check/status/StatusCommand.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "check/Console.h"
#include "check/station/AtomicFile.h"
#include "check/status/BuildVersion.h"
#include "check/status/StatusFormats.h"
#include "check/status/StatusJournal.h"
#include "check/status/StatusReadings.h"
#include "db/DatabaseError.h"
#include "import/NumberText.h"
#include "import/StderrTrace.h"
#include "import/ValueError.h"

namespace vantrok::check {

namespace {

std::int64_t pcUtcSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Writes the status as asked and gives its exit code. A file that cannot be
// written makes it unknown.
int answer(Status status, const StatusOptions& options, std::chrono::steady_clock::time_point started) {
    status.probeMilliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
    try {
        switch (options.output) {
        case StatusOutput::Line: print(statusLine(status)); break;
        case StatusOutput::Json: print(statusJson(status)); break;
        case StatusOutput::Prometheus:
            replaceFile(options.file, statusPrometheus(status));
            print(statusLine(status));
            break;
        }
    } catch (const std::exception& error) {
        status.level = StatusLevel::Unknown;
        status.problems = {error.what()};
        status.details.clear();
        status.station.reset();
        print(statusLine(status));
    }
    return static_cast<int>(status.level);
}

}  // namespace

Status probeStatus(Bridge& bridge, const ProbeContext& context, const ZoneRules& pcZone, WaitingOn& waits) {
    for (db::Connection* connection : {&bridge.salesConnection, &bridge.controllerConnection})
        connection->setTimeouts({context.waitSeconds, context.waitSeconds});
    try {
        waits.waitingOn("the login to enablerdb and torvane");
        bridge.openConnections();
    } catch (const db::DatabaseError& error) {
        return failedStatus(StatusLevel::Critical, context, std::string("cannot reach the station: ") + error.what());
    }
    waits.waitingOn("carry's journal");
    const std::vector<std::string> journalWarnings = checkCarryJournal(bridge);
    try {
        Status status = judgeStatus(context, stationFacts(readStatus(bridge, waits), context.probedAtSeconds, pcZone));
        addCarryJournalWarnings(status, journalWarnings);
        return status;
    } catch (const db::DatabaseError& error) {
        const bool lost = bridge.isBroken(Link::Sales) || bridge.isBroken(Link::Controller);
        return failedStatus(lost ? StatusLevel::Critical : StatusLevel::Unknown, context,
                            (lost ? "lost the station: " : "cannot read the station: ") + std::string(error.what()));
    } catch (const ValueError& error) {
        return failedStatus(StatusLevel::Unknown, context, std::string("cannot read the station: ") + error.what());
    } catch (const std::system_error& error) {
        return failedStatus(StatusLevel::Unknown, context, std::string("cannot place the station's times: ") +
                                                               error.what());
    }
}

int runStatus(int argc, const char* const* argv, const Clock& clock,
              const std::function<std::optional<bool>()>& running, const db::LoginStore& logins) {
    const auto options = parseStatusOptions(argc, argv);
    const int unknown = static_cast<int>(StatusLevel::Unknown);
    if (!options) {
        print("VANTROK UNKNOWN - " + std::string(statusUsage) + "\n");
        return unknown;
    }
    if (options->request == StatusRequest::Help) {
        print(statusHelp());
        return unknown;
    }
    if (options->request == StatusRequest::Version) {
        print("vantrok-check " + std::string(buildVersion()) + "\n");
        return unknown;
    }

    const auto started = std::chrono::steady_clock::now();
    const ProbeContext atStart{clock.now(), pcUtcSeconds(), options->thresholds, std::nullopt,
                               static_cast<SQLULEN>(options->timeoutSeconds)};
    Watchdog watchdog(std::chrono::seconds(options->timeoutSeconds), [&](const std::string& waitingOn) {
        Status late = failedStatus(StatusLevel::Unknown, atStart,
                                   "no answer within " + decimalText(options->timeoutSeconds) + " s, waiting on " +
                                       waitingOn);
        late.timedOut = true;
        const int level = answer(late, *options, started);
        std::fflush(nullptr);
        // The probe's own thread is stuck in a call nothing can interrupt.
        std::_Exit(level);
    });
    ProbeContext context = atStart;
    watchdog.waitingOn("the WMI query for VANTROK.exe");
    context.running = running();
    StderrTrace trace;
    Bridge bridge(clock, trace);
    bridge.useLoginStore(logins);
    Status status = probeStatus(bridge, context, pcZoneRules(), watchdog);
    status.builtinLogin = bridge.usesBuiltinLogin();
    watchdog.disarm();
    return answer(status, *options, started);
}

}  // namespace vantrok::check
