#include "check/status/StatusReadings.h"

#include <set>
#include <utility>

#include "check/station/StationRows.h"
#include "check/station/Statements.h"
#include "import/SelectionTexts.h"
#include "import/ValueError.h"
#include "import/ValueText.h"

namespace vantrok::check {

namespace {

using DeliveryKey = std::pair<std::int64_t, db::DateTime>;

// A selected row is added unless today's deliveries hold it already.
void addSelected(StatusReadings& readings, std::set<DeliveryKey>& known, std::set<std::int64_t>& selects,
                 const DeliveryRecord& d) {
    selects.insert(d.id);
    if (known.insert({d.id, d.completed}).second) readings.station.deliveries.push_back(d);
    readings.days.first = std::min(readings.days.first, dayOf(d.completed));
}

}  // namespace

StatusReadings readStatus(Bridge& bridge, WaitingOn& waits) {
    StatusReadings readings;
    StationReadings& station = readings.station;
    station.asOf = bridge.clock().now();
    const CalendarDay today = dayOf(station.asOf);
    readings.days = {today, today};

    waits.waitingOn("the server's clock on enablerdb");
    bool clockRead = false;
    eachRow(bridge, Link::Controller, serverClockText(), [&](const db::ResultSet& row) {
        readings.serverClock = {valueDateTime(row.field("Local_Now"), "Local_Now"),
                                valueDateTime(row.field("Utc_Now"), "Utc_Now")};
        clockRead = true;
    });
    if (!clockRead) throw ValueError("the server's clock gave no row");
    std::set<DeliveryKey> known;
    waits.waitingOn("today's deliveries on enablerdb");
    eachRow(bridge, Link::Controller, deliveriesCompletedText(today, nextDay(today)), [&](const db::ResultSet& row) {
        station.deliveries.push_back(deliveryRecord(row));
        known.insert({station.deliveries.back().id, station.deliveries.back().completed});
    });
    waits.waitingOn("the live selection on enablerdb");
    eachRow(bridge, Link::Controller, liveSelectionText(station.asOf), [&](const db::ResultSet& row) {
        addSelected(readings, known, station.liveSelects, deliveryRecord(row));
    });
    waits.waitingOn("the offline selection on enablerdb");
    eachRow(bridge, Link::Controller, offlineSelectionText(station.asOf), [&](const db::ResultSet& row) {
        addSelected(readings, known, station.offlineSelects, deliveryRecord(row));
    });
    waits.waitingOn("the daily sales on torvane");
    station.sales = readDailySales(bridge, readings.days.first, nextDay(today));
    waits.waitingOn("the hose master on torvane");
    eachRow(bridge, Link::Sales, hoseFuelTypesText(),
            [&](const db::ResultSet& row) { addFuelType(row, station.fuelTypes); });
    waits.waitingOn("the latest daily sale on torvane");
    eachRow(bridge, Link::Sales, lastSaleText(), [&](const db::ResultSet& row) {
        const db::Value& last = row.field("Last_S_Date");
        if (!db::isNull(last)) readings.lastSale = valueDateTime(last, "Last_S_Date");
    });
    return readings;
}

}  // namespace vantrok::check
