#include "import/DeliveryImport.h"

#include <string>
#include <string_view>

#include "db/ResultSet.h"
#include "import/DailySaleWrite.h"
#include "import/SelectionTexts.h"
#include "import/ValueText.h"

namespace vantrok {

namespace {

std::string deliveryIdText(const db::ResultSet& row) {
    try {
        const db::Value& id = row.field("Delivery_ID");
        return db::isNull(id) ? "NULL" : valueText(id, "Delivery_ID");
    } catch (const std::exception&) {
        return "?";
    }
}

// False when the write broke a connection: the tick ends.
bool writeRow(Bridge& bridge, ErrorTrap& trap, const db::ResultSet& row, ImportKind kind,
              std::string_view work) {
    try {
        bridge.onConnection(Link::Sales, [&] { WRITE_DAILY_SALE(bridge, row, kind); });
        return true;
    } catch (const std::exception& error) {
        trap.caught(work, deliveryIdText(row), error);
        return !bridge.isBroken(Link::Sales);
    }
}

bool importDeliveries(Bridge& bridge, ErrorTrap& trap, ImportKind kind, std::string_view work,
                      const std::string& selection) {
    try {
        db::ResultSet rows = bridge.onConnection(
            Link::Controller, [&] { return bridge.controllerConnection.execute(selection); });
        if (rows.eof() || rows.bof()) return true;
        while (!rows.eof()) {
            if (!writeRow(bridge, trap, rows, kind, work)) return false;
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
