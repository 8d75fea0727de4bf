#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "check/station/StationReadings.h"
#include "db/ResultSet.h"
#include "import/Bridge.h"

namespace vantrok::check {

// Reading the station's rows into the reconciliation's records. Each throws
// ValueError for a value of an unexpected kind.

std::optional<std::int64_t> optionalInteger(const db::Value& value, std::string_view column);
std::int64_t integer(const db::Value& value, std::string_view column);

// Runs a statement on one of the bridge's connections and hands each row to
// the reader, to the set's end. Throws db::DatabaseError.
void eachRow(Bridge& bridge, Link link, const std::string& sql, const std::function<void(const db::ResultSet&)>& read);

// A row with the Hose_Delivery columns of the meter readings.
DeliveryRecord meterRecord(const db::ResultSet& row);
// A row as the imports' selections give it: every column with pump and hose.
DeliveryRecord deliveryRecord(const db::ResultSet& row);
// A row of Delivery_ID, S_Date and VocNo.
SaleRecord saleRecord(const db::ResultSet& row);
// A hose-master row; the first of each pump and hose counts, as the fuel-type lookup reads it.
void addFuelType(const db::ResultSet& row, std::map<PumpHose, std::optional<std::string>>& fuelTypes);

}  // namespace vantrok::check
