#include "backup/SynxTwoDb.h"

namespace vantrok {

void SYNX_TWO_DB(Bridge& bridge, ErrorTrap& trap) {
    try {
        // Whatever the procedure returns is read past unread: a cancel would
        // stop the procedure before its copy.
        bridge.onConnection(Link::Sales,
                            [&] { bridge.salesConnection.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2").close(); });
    } catch (const std::exception& error) {
        trap.caught("SYNX_TWO_DB", {}, error);
    }
}

}  // namespace vantrok
