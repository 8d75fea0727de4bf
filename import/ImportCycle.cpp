#include "import/ImportCycle.h"

#include "import/DeliveryImport.h"
#include "import/ErrorTrap.h"

namespace vantrok {

bool ImportCycle(Bridge& bridge) {
    ErrorTrap trap(bridge.trace());
    try {
        if (bridge.reopenBrokenConnections(trap) && GET_VANTROK_DATA(bridge, trap)) {
            GET_OFFLINE_DATA(bridge, trap);
        }
    } catch (const std::exception& error) {
        trap.caught("ImportCycle", {}, error);
    }
    return trap.clean();
}

}  // namespace vantrok
