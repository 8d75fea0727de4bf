#include "check/carry/SalesLock.h"

#include <string>

#include "check/station/Statements.h"
#include "db/DatabaseError.h"
#include "db/ResultSet.h"

namespace vantrok::check {

namespace {

// SQL Server's "Lock request time out period exceeded."
constexpr long lockTimedOut = 1222;

bool isLockTimeout(const db::DatabaseError& error) {
    for (const db::Diagnostic& record : error.records())
        if (record.nativeError == lockTimedOut) return true;
    return false;
}

}  // namespace

void lockSalesDay(db::Connection& sales, const CalendarDay& day) {
    try {
        // The session's setting: set each time, as a reopened connection starts without it.
        sales.executeUpdate("SET LOCK_TIMEOUT " + std::to_string(salesLockWaitMilliseconds));
        sales.execute(salesLockText(day, nextDay(day))).close();
    } catch (const db::DatabaseError& error) {
        if (isLockTimeout(error)) throw SalesTableBusy();
        throw;
    }
}

}  // namespace vantrok::check
