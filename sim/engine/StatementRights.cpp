#include "sim/engine/StatementRights.h"

#include <vector>

#include "sim/engine/Schema.h"

namespace vantrok::sim {

namespace {

struct ObjectUse {
    Permission permission;
    std::string_view object;
    std::string_view database = {};  // empty: the connection's own
};

constexpr std::string_view sales = "D17_DailySale";

std::vector<ObjectUse> uses(StatementKind kind) {
    using P = Permission;
    switch (kind) {
    case StatementKind::LiveSelection:
    case StatementKind::LiveSelectionWindowed:
    case StatementKind::OfflineSelection:
        // The exclusion reads the daily sales by their three-part name.
        return {{P::Select, "Hose_Delivery"}, {P::Select, "Hoses"}, {P::Select, sales, salesDatabase}};
    case StatementKind::DeliveriesCompleted: return {{P::Select, "Hose_Delivery"}, {P::Select, "Hoses"}};
    case StatementKind::ReadingsBefore: return {{P::Select, "Hose_Delivery"}};
    case StatementKind::FuelType: return {{P::Select, "D10_Hose"}, {P::Select, "d1_fueltype"}, {P::Select, "d9_tank"}};
    case StatementKind::HoseFuelTypes: return {{P::Select, "D10_Hose"}};
    case StatementKind::InvoiceNumber:
    case StatementKind::DailySales:
    case StatementKind::LastSale:
    case StatementKind::SalesLockCount: return {{P::Select, sales}};
    // An update whose WHERE reads the table's columns needs SELECT as well.
    case StatementKind::SaleRenumbering: return {{P::Update, sales}, {P::Select, sales}};
    // None of the station's objects: the server's clock, a SET, and
    // sys.databases, whose rows public sees (VIEW ANY DATABASE is granted to
    // public by default).
    case StatementKind::ServerClock:
    case StatementKind::SetLockTimeout:
    case StatementKind::SnapshotSetting: return {};
    }
    return {};
}

}  // namespace

void requireStatementRights(const LoginRights& rights, StatementKind kind, std::string_view database) {
    for (const ObjectUse& use : uses(kind)) {
        const std::string_view in = use.database.empty() ? database : use.database;
        if (std::optional<std::string> object = stationObject(in, use.object))
            rights.require(use.permission, in, *object);
    }
}

}  // namespace vantrok::sim
