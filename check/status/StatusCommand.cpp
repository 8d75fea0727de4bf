#include "check/status/StatusCommand.h"

#include <cstdio>
#include <stdexcept>
#include <string>

#include "check/Console.h"
#include "check/station/AtomicFile.h"
#include "check/status/StatusFormats.h"
#include "check/status/StatusReadings.h"
#include "db/DatabaseError.h"
#include "import/StderrTrace.h"
#include "import/ValueError.h"

namespace vantrok::check {

Status probeStatus(Bridge& bridge, const Thresholds& thresholds, std::optional<bool> running) {
    const db::DateTime probedAt = bridge.clock().now();
    try {
        bridge.openConnections();
    } catch (const db::DatabaseError& error) {
        return failedStatus(StatusLevel::Critical, probedAt, thresholds, running,
                            std::string("cannot reach the station: ") + error.what());
    }
    try {
        return judgeStatus(probedAt, thresholds, stationFacts(readStatus(bridge)), running);
    } catch (const db::DatabaseError& error) {
        const bool lost = bridge.isBroken(Link::Sales) || bridge.isBroken(Link::Controller);
        return failedStatus(lost ? StatusLevel::Critical : StatusLevel::Unknown, probedAt, thresholds, running,
                            (lost ? "lost the station: " : "cannot read the station: ") + std::string(error.what()));
    } catch (const ValueError& error) {
        return failedStatus(StatusLevel::Unknown, probedAt, thresholds, running,
                            std::string("cannot read the station: ") + error.what());
    }
}

int runStatus(int argc, const char* const* argv, const Clock& clock, std::optional<bool> running,
              const db::LoginStore& logins) {
    const auto options = parseStatusOptions(argc, argv);
    if (!options) {
        print("VANTROK UNKNOWN - " + std::string(statusUsage) + "\n");
        return static_cast<int>(StatusLevel::Unknown);
    }
    StderrTrace trace;
    Bridge bridge(clock, trace);
    bridge.useLoginStore(logins);
    Status status = probeStatus(bridge, options->thresholds, running);
    status.builtinLogin = bridge.usesBuiltinLogin();
    try {
        switch (options->output) {
        case StatusOutput::Line: print(statusLine(status)); break;
        case StatusOutput::Json: print(statusJson(status)); break;
        case StatusOutput::Prometheus:
            replaceFile(options->file, statusPrometheus(status));
            print(statusLine(status));
            break;
        }
    } catch (const std::exception& error) {
        // The file could not be written, or a moment had no place in the calendar.
        status = failedStatus(StatusLevel::Unknown, status.probedAt, status.thresholds, running, error.what());
        print(statusLine(status));
    }
    return static_cast<int>(status.level);
}

}  // namespace vantrok::check
