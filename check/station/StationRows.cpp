#include "check/station/StationRows.h"

#include <charconv>

#include "import/ValueError.h"
#include "import/ValueText.h"

namespace vantrok::check {

namespace {

std::optional<db::DateTime> optionalMoment(const db::Value& value, std::string_view column) {
    if (db::isNull(value)) return std::nullopt;
    return valueDateTime(value, column);
}

}  // namespace

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

SaleRecord saleRecord(const db::ResultSet& row) {
    const db::Value& voucher = row.field("VocNo");
    return {optionalInteger(row.field("Delivery_ID"), "Delivery_ID"), valueDateTime(row.field("S_Date"), "S_Date"),
            db::isNull(voucher) ? std::nullopt : std::optional<std::string>(valueText(voucher, "VocNo"))};
}

void addFuelType(const db::ResultSet& row, std::map<PumpHose, std::optional<std::string>>& fuelTypes) {
    const auto pump = optionalInteger(row.field("pump_no"), "pump_no");
    const auto hose = optionalInteger(row.field("hose_number"), "hose_number");
    const db::Value& code = row.field("fueltypecode");
    if (pump && hose && !fuelTypes.contains({*pump, *hose})) {
        fuelTypes[{*pump, *hose}] =
            db::isNull(code) ? std::nullopt : std::optional<std::string>(valueText(code, "fueltypecode"));
    }
}

}  // namespace vantrok::check
