#pragma once

#include <string>

#include "check/status/Status.h"

namespace vantrok::check {

// The monitoring plugins' one line, with its line end:
// "VANTROK WARNING - what is wrong, worst first | 'label'=value[unit];warn;crit;min;max ...".
std::string statusLine(const Status& status);
// The same facts as one JSON object, with its line end.
std::string statusJson(const Status& status);
// The Prometheus text exposition format: vantrok_* gauges without labels.
std::string statusPrometheus(const Status& status);

}  // namespace vantrok::check
