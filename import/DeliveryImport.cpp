#include "import/DeliveryImport.h"

#include <string>
#include <string_view>

#include "db/ResultSet.h"
#include "import/RowWrite.h"
#include "import/SelectionTexts.h"

namespace vantrok {

namespace {

bool importDeliveries(Bridge& bridge, ErrorTrap& trap, ImportKind kind, std::string_view work,
                      const std::string& selection) {
    try {
        db::ResultSet rows = bridge.onConnection(
            Link::Controller, [&] { return bridge.controllerConnection.execute(selection); });
        if (rows.eof() || rows.bof()) return true;
        while (!rows.eof()) {
            if (writeRowIsolated(bridge, trap, rows, kind, work) == RowWrite::ConnectionBroken) return false;
            bridge.onConnection(Link::Controller, [&] { rows.moveNext(); });
        }
        return true;
    } catch (const std::exception& error) {
        trap.caught(work, {}, error);
        return false;
    }
}

}  // namespace

bool GET_VANTROK_DATA(Bridge& bridge, ErrorTrap& trap) {
    return importDeliveries(bridge, trap, ImportKind::Live, "GET_VANTROK_DATA",
                            liveSelectionText(bridge.clock().now()));
}

bool GET_OFFLINE_DATA(Bridge& bridge, ErrorTrap& trap) {
    return importDeliveries(bridge, trap, ImportKind::Offline, "GET_OFFLINE_DATA",
                            offlineSelectionText(bridge.clock().now()));
}

}  // namespace vantrok
