#pragma once

#include "import/Bridge.h"

namespace vantrok {

// The Timer1 tick: reopens a connection an earlier tick found broken, then
// runs the live import and, unless that ended the tick, the offline import.
// Every error stays inside and goes to the trace. True when nothing was caught.
bool ImportCycle(Bridge& bridge);

}  // namespace vantrok
