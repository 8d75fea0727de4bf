#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "check/station/CalendarDay.h"
#include "check/station/Progress.h"
#include "db/DateTime.h"
#include "db/Value.h"
#include "import/Bridge.h"

namespace vantrok::check {

// The types of the two imports: live and offline deliveries.
inline constexpr std::int64_t liveType = 6;
inline constexpr std::int64_t offlineType = 14;

// One controller delivery as the reconciliation needs it.
struct DeliveryRecord {
    std::int64_t id = 0;
    std::int64_t hoseId = 0;
    std::int64_t type = 0;
    db::DateTime completed;
    std::optional<db::DateTime> cleared;
    db::Value volume;
    db::Value value;
    db::Value meterVolume;
    db::Value meterValue;
    // From the delivery's Hoses row; none without one.
    std::optional<std::int64_t> pump;
    std::optional<std::int64_t> hose;
};

struct SaleRecord {
    std::optional<std::int64_t> deliveryId;
    db::DateTime date;
    std::optional<std::string> voucher;
};

using PumpHose = std::pair<std::int64_t, std::int64_t>;

// What the two databases hold for a range of days, and what the imports
// would select at the moment of reading.
struct StationReadings {
    db::DateTime asOf;
    std::vector<DeliveryRecord> deliveries;       // completed in the range
    std::vector<DeliveryRecord> lastBeforeRange;  // each hose's last delivery before it
    std::set<std::int64_t> liveSelects;           // Delivery_IDs
    std::set<std::int64_t> offlineSelects;
    std::vector<SaleRecord> sales;                // dated in the range
    // The first hose-master row of each pump and hose, as the fuel-type lookup reads it.
    std::map<PumpHose, std::optional<std::string>> fuelTypes;
};

// Reads the range month by month on the bridge's two connections, each
// result set whole before the next statement. The deliveries are read before
// the imports' selections, and these before the daily sales, so that a
// delivery an import carries meanwhile shows as carried, never as missing.
// Throws db::DatabaseError, or ValueError for a value of an unexpected kind.
StationReadings readStation(Bridge& bridge, const DayRange& range, Progress& progress);

// The daily sales dated from first up to end, read whole on the SalesConnection.
std::vector<SaleRecord> readDailySales(Bridge& bridge, const CalendarDay& first, const CalendarDay& end);

}  // namespace vantrok::check
