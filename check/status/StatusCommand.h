#pragma once

#include <functional>
#include <optional>

#include "check/status/Status.h"
#include "check/status/StatusOptions.h"
#include "check/status/Watchdog.h"
#include "check/status/ZoneRules.h"
#include "db/StationLogin.h"
#include "import/Bridge.h"

namespace vantrok::check {

// Opens both connections and reads the station's status, telling `waits`
// what it waits on. A connection that cannot be opened, or that breaks while
// reading, makes it critical; a statement that fails otherwise, or a value
// that cannot be read, unknown.
Status probeStatus(Bridge& bridge, const ProbeContext& context, const ZoneRules& pcZone, WaitingOn& waits);

// `vantrok-check status ...`: the probe in the output asked for, on standard
// output (the Prometheus file besides its line); the level is the exit code.
// The whole of it, `running` (the WMI query on Windows) included, ends within
// the time-out. A wrong option is UNKNOWN, with the usage as its line; so are
// the help and the version, as the monitoring plugins do.
int runStatus(int argc, const char* const* argv, const Clock& clock,
              const std::function<std::optional<bool>()>& running, const db::LoginStore& logins);

}  // namespace vantrok::check
