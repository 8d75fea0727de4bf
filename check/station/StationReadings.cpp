#include "check/station/StationReadings.h"

#include <algorithm>

#include "check/station/StationRows.h"
#include "check/station/Statements.h"
#include "import/SelectionTexts.h"

namespace vantrok::check {

namespace {

// Month by month: the first day of the range or of a month, up to the next.
std::vector<std::pair<CalendarDay, CalendarDay>> monthSpans(const DayRange& range) {
    std::vector<std::pair<CalendarDay, CalendarDay>> spans;
    const CalendarDay end = nextDay(range.last);
    for (CalendarDay first = range.first; first < end;) {
        const CalendarDay next = std::min(firstOfNextMonth(first), end);
        spans.emplace_back(first, next);
        first = next;
    }
    return spans;
}

}  // namespace

StationReadings readStation(Bridge& bridge, const DayRange& range, Progress& progress) {
    StationReadings readings;
    readings.asOf = bridge.clock().now();
    const auto spans = monthSpans(range);
    const int total = static_cast<int>(spans.size()) * 2 + 4;
    int done = 0;
    const auto stepDone = [&] { progress.step(++done, total); };

    for (const auto& [first, end] : spans) {
        eachRow(bridge, Link::Controller, deliveriesCompletedText(first, end),
                [&](const db::ResultSet& row) { readings.deliveries.push_back(deliveryRecord(row)); });
        stepDone();
    }
    eachRow(bridge, Link::Controller, readingsBeforeText(range.first),
            [&](const db::ResultSet& row) { readings.lastBeforeRange.push_back(meterRecord(row)); });
    stepDone();
    eachRow(bridge, Link::Controller, liveSelectionText(readings.asOf), [&](const db::ResultSet& row) {
        readings.liveSelects.insert(integer(row.field("Delivery_ID"), "Delivery_ID"));
    });
    stepDone();
    eachRow(bridge, Link::Controller, offlineSelectionText(readings.asOf), [&](const db::ResultSet& row) {
        readings.offlineSelects.insert(integer(row.field("Delivery_ID"), "Delivery_ID"));
    });
    stepDone();
    for (const auto& [first, end] : spans) {
        const std::vector<SaleRecord> sales = readDailySales(bridge, first, end);
        readings.sales.insert(readings.sales.end(), sales.begin(), sales.end());
        stepDone();
    }
    eachRow(bridge, Link::Sales, hoseFuelTypesText(),
            [&](const db::ResultSet& row) { addFuelType(row, readings.fuelTypes); });
    stepDone();
    return readings;
}

std::vector<SaleRecord> readDailySales(Bridge& bridge, const CalendarDay& first, const CalendarDay& end) {
    std::vector<SaleRecord> sales;
    eachRow(bridge, Link::Sales, dailySalesText(first, end),
            [&](const db::ResultSet& row) { sales.push_back(saleRecord(row)); });
    return sales;
}

}  // namespace vantrok::check
