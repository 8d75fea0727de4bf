#include "backup/BackupTick.h"

#include "backup/SynxTwoDb.h"
#include "import/ErrorTrap.h"

namespace vantrok {

bool BackupTick(Bridge& bridge) {
    ErrorTrap trap(bridge.trace());
    bridge.reopenBrokenConnections(trap);
    // The backup needs only the SalesConnection.
    if (!bridge.isBroken(Link::Sales)) SYNX_TWO_DB(bridge, trap);
    return trap.clean();
}

}  // namespace vantrok
