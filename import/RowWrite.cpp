#include "import/RowWrite.h"

#include <string>

#include "import/DailySaleWrite.h"
#include "import/ValueText.h"

namespace vantrok {

namespace {

std::string deliveryIdText(const db::Fields& row) {
    try {
        const db::Value& id = row.field("Delivery_ID");
        return db::isNull(id) ? "NULL" : valueText(id, "Delivery_ID");
    } catch (const std::exception&) {
        return "?";
    }
}

}  // namespace

RowWrite writeRowIsolated(Bridge& bridge, ErrorTrap& trap, const db::Fields& row, ImportKind kind,
                          std::string_view work) {
    return isolateRowWrite(bridge, trap, row, work, [&] { WRITE_DAILY_SALE(bridge, row, kind); });
}

RowWrite isolateRowWrite(Bridge& bridge, ErrorTrap& trap, const db::Fields& row, std::string_view work,
                         const std::function<void()>& write) {
    try {
        bridge.onConnection(Link::Sales, write);
        return RowWrite::Written;
    } catch (const std::exception& error) {
        trap.caught(work, deliveryIdText(row), error);
        // Broken by its SQLSTATE or by the driver's dead flag (see Bridge::onConnection).
        return bridge.isBroken(Link::Sales) ? RowWrite::ConnectionBroken : RowWrite::Failed;
    }
}

}  // namespace vantrok
