#pragma once

#include <optional>

#include "check/status/Status.h"
#include "check/status/StatusOptions.h"
#include "import/Bridge.h"

namespace vantrok::check {

// Opens both connections and reads the station's status. A connection that
// cannot be opened, or that breaks while reading, makes it critical; a
// statement that fails otherwise, or a value that cannot be read, unknown.
Status probeStatus(Bridge& bridge, const Thresholds& thresholds, std::optional<bool> running);

// `vantrok-check status ...`: the probe in the output asked for, on standard
// output (the Prometheus file besides its line); the level is the exit code.
// A wrong option is UNKNOWN, with the usage as its line.
int runStatus(int argc, const char* const* argv, const Clock& clock, std::optional<bool> running,
              const db::LoginStore& logins);

}  // namespace vantrok::check
