#pragma once

#include <stdexcept>

#include "check/station/CalendarDay.h"
#include "db/Connection.h"

namespace vantrok::check {

// Another session held the daily sales past carry's wait for their lock.
class SalesTableBusy : public std::runtime_error {
public:
    SalesTableBusy() : std::runtime_error("the sales table is busy: try again") {}
};

// How long carry waits for the lock: while its request waits, VANTROK's own
// statements queue behind it, and they give up after 30 s.
inline constexpr int salesLockWaitMilliseconds = 5000;

// Takes the exclusive table lock on the day's daily sales until the open
// transaction ends, waiting at most salesLockWaitMilliseconds. Throws
// SalesTableBusy when that runs out, db::DatabaseError otherwise.
void lockSalesDay(db::Connection& sales, const CalendarDay& day);

}  // namespace vantrok::check
