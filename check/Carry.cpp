#include "check/Carry.h"

#include <map>

#include "check/Statements.h"
#include "db/ResultSet.h"
#include "import/ErrorTrap.h"
#include "import/RowWrite.h"
#include "import/ValueText.h"

namespace vantrok::check {

namespace {

constexpr const char* work = "vantrok-check carry";

}  // namespace

CarryOutcome carryDeliveries(Bridge& bridge, const std::vector<DeliveryRecord>& deliveries) {
    // Each day's deliveries by Delivery_ID, with their type.
    std::map<CalendarDay, std::map<std::int64_t, std::int64_t>> days;
    for (const DeliveryRecord& d : deliveries) days[dayOf(d.completed)][d.id] = d.type;

    CarryOutcome outcome;
    ErrorTrap trap(bridge.trace());
    for (const auto& [day, types] : days) {
        try {
            // The day's rows stay open on the ControllerConnection while the
            // writes go over the SalesConnection, as in the imports.
            db::ResultSet rows = bridge.onConnection(Link::Controller, [&] {
                return bridge.controllerConnection.execute(deliveriesCompletedText(day, nextDay(day)));
            });
            while (!rows.eof()) {
                const db::Value& id = rows.field("Delivery_ID");
                const auto type = db::isNull(id) ? types.end() : types.find(std::stoll(valueText(id, "Delivery_ID")));
                if (type != types.end()) {
                    const ImportKind kind = type->second == liveType ? ImportKind::Live : ImportKind::Offline;
                    switch (writeRowIsolated(bridge, trap, rows, kind, work)) {
                    case RowWrite::Written: ++outcome.written; break;
                    case RowWrite::Failed: ++outcome.failed; break;
                    case RowWrite::ConnectionBroken: ++outcome.failed; outcome.ended = true; return outcome;
                    }
                }
                bridge.onConnection(Link::Controller, [&] { rows.moveNext(); });
            }
        } catch (const std::exception& error) {
            trap.caught(work, {}, error);
            outcome.ended = true;
            return outcome;
        }
    }
    return outcome;
}

}  // namespace vantrok::check
