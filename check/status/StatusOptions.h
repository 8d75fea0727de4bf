#pragma once

#include <optional>
#include <string>

#include "check/status/Status.h"

namespace vantrok::check {

enum class StatusOutput { Line, Json, Prometheus };
enum class StatusRequest { Probe, Help, Version };

struct StatusOptions {
    StatusRequest request = StatusRequest::Probe;
    Thresholds thresholds;
    StatusOutput output = StatusOutput::Line;
    std::string file;  // Prometheus only
    // The whole probe, logins, statements, rows and the WMI query included;
    // below the 60 s after which Nagios kills a check.
    int timeoutSeconds = 30;
};

// vantrok-check status [-w RANGE] [-c RANGE] [-t SECONDS] [--json | --prometheus FILE]
// -w/--warning-range and -c/--critical-range in the monitoring plugins'
// range syntax, in seconds unless a unit (s, m, h, d) says otherwise;
// --warning and --critical in whole minutes from 0 to a year's. Plain upper
// limits must not put the warning above the critical one. -h/--help and
// -V/--version stand alone. None for anything else.
std::optional<StatusOptions> parseStatusOptions(int argc, const char* const* argv);

// The usage, without the bar monitoring systems read as the start of perfdata.
inline constexpr const char* statusUsage =
    "usage: vantrok-check status [-w RANGE] [-c RANGE] [-t SECONDS] [--json or --prometheus FILE] (-h for help)";

// The help -h prints: the usage and what each option means.
std::string statusHelp();

}  // namespace vantrok::check
