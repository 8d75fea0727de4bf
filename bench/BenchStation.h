#pragma once

#include <cstdint>
#include <string>

#include "db/DateTime.h"
#include "import/Clock.h"
#include "import/Trace.h"
#include "tests/support/TestStation.h"

namespace vantrok::bench {

// The benchmarks stand on the last evening of November 2016, so "the current
// month" is the same 30 days in every run.
inline constexpr db::DateTime benchNow{2016, 11, 30, 23, 0, 0, 0};
inline constexpr int benchMonthDays = 30;

class StandingClock final : public Clock {
public:
    db::DateTime now() const override { return benchNow; }
};

// Keeps the last error a tick caught; a benchmark whose tick caught anything is void.
class LastErrorTrace final : public Trace {
public:
    void write(std::string_view line) override { last = line; }
    std::string last;
};

// A fresh station registered as "sql server" for this process.
class BenchStation {
public:
    BenchStation() { station_.registerDriver(); }

    testing::TestStation& station() { return station_; }
    const testing::TestStation& station() const { return station_; }

    // count type 6 deliveries with ids first+1..first+count, spread evenly over
    // the days of the month and over each day, cleared when completed, on the
    // twelve hoses in turn.
    void addLiveDeliveries(int count, std::int64_t first = 0);
    // count type 6 deliveries of one day (ids first+1..first+count).
    void addLiveDeliveriesOn(int day, int count, std::int64_t first);
    // count daily sales already written on one day, numbered 1..count, carrying
    // deliveries the controller no longer holds.
    void addDaySales(int day, int count);
    // A daily sale for every type 6 delivery the controller holds, numbered as
    // the import numbers them, as if every tick so far had carried them.
    void addCarriedSales();

    // Empties the statement log, so a count starts from what follows.
    void clearStatementLog();

private:
    testing::TestStation station_;
};

}  // namespace vantrok::bench
