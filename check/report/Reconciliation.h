#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/station/CalendarDay.h"
#include "check/station/StationReadings.h"
#include "db/DateTime.h"
#include "db/Decimal.h"

namespace vantrok::check {

// Where a delivery of the range stands.
enum class DeliveryState {
    Carried,    // a daily sale of its completion day carries its Delivery_ID
    Waiting,    // an import will still select it
    Stuck,      // an import selects it, but its write fails as things stand
    Uncleared,  // live, not cleared yet: not a sale yet
    Missing,    // no daily sale, and no import will select it any more
    OtherType,  // neither live (6) nor offline (14): no import's business
};

// Why a delivery is where it is: a short code for tools and a text for people.
struct Reason {
    std::string code;
    std::string text;
};

struct DeliveryFinding {
    DeliveryRecord delivery;
    DeliveryState state = DeliveryState::Missing;
    std::vector<Reason> reasons;
    bool writeFails = false;  // as the data stand; reasons say why
};

struct DayFigures {
    CalendarDay day;
    int live = 0;     // recorded, type 6
    int offline = 0;  // recorded, type 14
    int otherTypes = 0;
    int carried = 0;
    int waiting = 0;
    int stuck = 0;
    int uncleared = 0;
    int missing = 0;
};

struct CarriedMoreThanOnce {
    CalendarDay day;
    std::int64_t deliveryId = 0;
    std::vector<std::string> vouchers;
};

// A day's invoice numbers of the series that do not run 1, 2, 3, ... once each.
struct InvoiceDay {
    CalendarDay day;
    std::vector<std::pair<std::int64_t, std::int64_t>> gaps;  // first and last missing number
    std::vector<std::pair<std::int64_t, int>> repeats;        // number and how often
    std::vector<std::string> unreadable;                      // vouchers the invoice query fails on
};

// A delivery whose meter readings do not continue the previous delivery's on
// the same hose by the amount the hose's history says they should.
struct MeterBreak {
    DeliveryRecord delivery;
    std::int64_t previousId = 0;
    bool readingsAfterDelivery = true;  // the hose's readings include their own delivery
    db::Decimal volumeGap;              // reading minus the expected reading
    db::Decimal valueGap;
};

struct Reconciliation {
    DayRange range;
    db::DateTime asOf;
    std::vector<DayFigures> days;  // each day with deliveries, in order
    DayFigures total;
    std::vector<DeliveryFinding> notCarried;  // every live or offline delivery without its daily sale
    std::vector<CarriedMoreThanOnce> carriedMoreThanOnce;
    std::vector<InvoiceDay> invoiceDays;
    std::vector<MeterBreak> meterBreaks;

    // Nothing missing or stuck, nothing carried twice, every day's invoice
    // numbers in a row, every meter reading continued.
    bool accountedFor() const;
    // What carry writes: the missing deliveries, by day, each day's in Delivery_ID order.
    std::vector<DeliveryRecord> toCarry() const;
};

Reconciliation reconcile(const StationReadings& readings, const DayRange& range);

const char* stateName(DeliveryState state);

}  // namespace vantrok::check
