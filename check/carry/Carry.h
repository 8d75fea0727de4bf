#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/station/CalendarDay.h"
#include "check/station/StationReadings.h"
#include "import/Bridge.h"

namespace vantrok::check {

// The wait between carry's writes and its check of their invoice numbers:
// long enough for a daily sale VANTROK had taken its number for before
// carry's write to land.
class Settle {
public:
    virtual ~Settle() = default;
    virtual void wait() = 0;
};

// What carry tells as it goes.
class CarryLog {
public:
    virtual ~CarryLog() = default;
    virtual void written(std::int64_t deliveryId, const std::string& voucher, ImportKind kind) = 0;
    virtual void waiting() = 0;
    // Another daily sale of the day took the same number meanwhile.
    virtual void renumbered(std::int64_t deliveryId, const std::string& from, const std::string& to) = 0;
    // Its daily sale was overwritten by another write before the check: written again.
    virtual void lost(std::int64_t deliveryId, const std::string& voucher) = 0;
};

struct CarryOutcome {
    int written = 0;
    int failed = 0;
    int renumbered = 0;
    bool ended = false;      // a connection broke, a day could not be read, or the sales stayed locked: the rest was left
    bool busy = false;       // the sales stayed locked by another session past carry's wait
    int unchecked = 0;       // sales left in the journal, their numbers not yet known to be their own

    bool clean() const { return failed == 0 && !ended && unchecked == 0; }
};

class CarryJournal;

// Writes each delivery given as one daily sale through the imports' own
// write, live or offline by its type: day by day, each day's deliveries in
// Delivery_ID order as the controller holds them, one write at a time. A
// day's rows are read whole first, so nothing of the controller's stays open
// while the writes go on. Each write takes its invoice number and writes
// under an exclusive lock on the daily sales, in one transaction, entered in
// the journal before its commit. VANTROK takes its number and writes in two
// statements without a lock, so a number it took just before carry's write
// may still land beside carry's: after the settle, a carried sale whose
// number another sale of its day took is given the day's next free number,
// and checked again; one whose sale was overwritten is written again. The
// same rounds check what the journal held before. VANTROK's sales are never
// touched. A failing write holds up only its delivery and goes to the
// bridge's trace.
CarryOutcome carryDeliveries(Bridge& bridge, CarryJournal& journal, const std::vector<DeliveryRecord>& deliveries,
                             Settle& settle, std::int64_t settleSeconds, CarryLog& log);

}  // namespace vantrok::check
