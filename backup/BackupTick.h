#pragma once

#include "import/Bridge.h"

namespace vantrok {

// The Timer2 tick: reopens a connection an earlier tick found broken, then
// runs the backup synchronisation if the SalesConnection is up. True when
// nothing was caught.
bool BackupTick(Bridge& bridge);

}  // namespace vantrok
