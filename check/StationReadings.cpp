#include "check/StationReadings.h"

#include <charconv>
#include <functional>

#include "check/Statements.h"
#include "db/ResultSet.h"
#include "import/SelectionTexts.h"
#include "import/ValueError.h"
#include "import/ValueText.h"

namespace vantrok::check {

namespace {

std::optional<std::int64_t> optionalInteger(const db::Value& value, std::string_view column) {
    if (db::isNull(value)) return std::nullopt;
    if (const auto* integer = std::get_if<std::int64_t>(&value)) return *integer;
    const std::string text = valueText(value, column);
    std::int64_t number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size())
        throw ValueError("Type mismatch: " + std::string(column) + " '" + text + "' is not a whole number");
    return number;
}

std::int64_t integer(const db::Value& value, std::string_view column) {
    const auto number = optionalInteger(value, column);
    if (!number) throw ValueError("Invalid use of Null: " + std::string(column));
    return *number;
}

std::optional<db::DateTime> optionalMoment(const db::Value& value, std::string_view column) {
    if (db::isNull(value)) return std::nullopt;
    return valueDateTime(value, column);
}

// Runs a statement and hands each row to the reader, to the set's end.
void eachRow(Bridge& bridge, Link link, const std::string& sql, const std::function<void(const db::ResultSet&)>& read) {
    db::Connection& connection = link == Link::Sales ? bridge.salesConnection : bridge.controllerConnection;
    bridge.onConnection(link, [&] {
        db::ResultSet rows = connection.execute(sql);
        while (!rows.eof()) {
            read(rows);
            rows.moveNext();
        }
    });
}

DeliveryRecord meterRecord(const db::ResultSet& row) {
    DeliveryRecord d;
    d.id = integer(row.field("Delivery_ID"), "Delivery_ID");
    d.hoseId = integer(row.field("Hose_ID"), "Hose_ID");
    d.completed = valueDateTime(row.field("Completed_TS"), "Completed_TS");
    d.volume = row.field("Delivery_Volume");
    d.value = row.field("Delivery_Value");
    d.meterVolume = row.field("Hose_Meter_Volume");
    d.meterValue = row.field("Hose_Meter_Value");
    return d;
}

DeliveryRecord deliveryRecord(const db::ResultSet& row) {
    DeliveryRecord d = meterRecord(row);
    d.type = integer(row.field("Delivery_Type"), "Delivery_Type");
    d.cleared = optionalMoment(row.field("Cleared_Date_Time"), "Cleared_Date_Time");
    d.pump = optionalInteger(row.field("Pump_ID"), "Pump_ID");
    d.hose = optionalInteger(row.field("S_Hose_ID"), "S_Hose_ID");
    return d;
}

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
    eachRow(bridge, Link::Sales, hoseFuelTypesText(), [&](const db::ResultSet& row) {
        const auto pump = optionalInteger(row.field("pump_no"), "pump_no");
        const auto hose = optionalInteger(row.field("hose_number"), "hose_number");
        const db::Value& code = row.field("fueltypecode");
        if (pump && hose && !readings.fuelTypes.contains({*pump, *hose})) {
            readings.fuelTypes[{*pump, *hose}] =
                db::isNull(code) ? std::nullopt : std::optional<std::string>(valueText(code, "fueltypecode"));
        }
    });
    stepDone();
    return readings;
}

std::vector<SaleRecord> readDailySales(Bridge& bridge, const CalendarDay& first, const CalendarDay& end) {
    std::vector<SaleRecord> sales;
    eachRow(bridge, Link::Sales, dailySalesText(first, end), [&](const db::ResultSet& row) {
        const db::Value& voucher = row.field("VocNo");
        sales.push_back({optionalInteger(row.field("Delivery_ID"), "Delivery_ID"),
                         valueDateTime(row.field("S_Date"), "S_Date"),
                         db::isNull(voucher) ? std::nullopt : std::optional<std::string>(valueText(voucher, "VocNo"))});
    });
    return sales;
}

}  // namespace vantrok::check
