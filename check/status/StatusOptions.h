#pragma once

#include <optional>
#include <string>

#include "check/status/Status.h"

namespace vantrok::check {

enum class StatusOutput { Line, Json, Prometheus };

struct StatusOptions {
    Thresholds thresholds;
    StatusOutput output = StatusOutput::Line;
    std::string file;  // Prometheus only
};

// vantrok-check status [--warning MINUTES] [--critical MINUTES] [--json | --prometheus FILE]
// Minutes as whole numbers from 0 to a year's, the warning not above the
// critical one. None for anything else.
std::optional<StatusOptions> parseStatusOptions(int argc, const char* const* argv);

inline constexpr const char* statusUsage =
    "usage: vantrok-check status [--warning MINUTES] [--critical MINUTES] [--json | --prometheus FILE]";

}  // namespace vantrok::check
