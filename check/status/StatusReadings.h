#pragma once

#include <optional>

#include "check/station/CalendarDay.h"
#include "check/station/StationReadings.h"
#include "check/status/StationTime.h"
#include "check/status/Watchdog.h"
#include "db/DateTime.h"
#include "import/Bridge.h"

namespace vantrok::check {

// What the status probe reads: the server's clock, today's deliveries and every delivery the
// imports select now, the daily sales of the days these fall on, the hose
// master and the latest daily sale. `station` holds them as the
// reconciliation reads a range, `days` that range.
struct StatusReadings {
    StationReadings station;
    DayRange days;
    std::optional<db::DateTime> lastSale;
    ServerClock serverClock;
};

// Seven whole statements, whatever the number of rows: the server's clock,
// today's deliveries and the two selections on the ControllerConnection, then
// the daily sales of one span, the hose master and the latest S_Date on the
// SalesConnection, each told to `waits` before it runs. The
// deliveries come before the sales, so that a delivery carried meanwhile
// shows as carried. Throws db::DatabaseError, or ValueError for a value of an
// unexpected kind.
StatusReadings readStatus(Bridge& bridge, WaitingOn& waits);

}  // namespace vantrok::check
