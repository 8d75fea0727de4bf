#include <gtest/gtest.h>

#include "tests/soak/DeliveryLedger.h"

namespace vantrok::soak {
namespace {

using std::chrono::seconds;

const Moment evening = parseDay("2016-12-31") + std::chrono::hours{23} + std::chrono::minutes{59};

class DeliveryLedgerTest : public ::testing::Test {
protected:
    // Selectable from `from`, for the rest of that day.
    void offline(std::int64_t id, Moment from) {
        ledger.recorded(id);
        ledger.selectable(id, from, endOfDay(from));
    }
    void ticks(Moment from, int count, bool faultFree = true) {
        for (int i = 0; i < count; ++i) ledger.importTick(from + seconds{4 * i}, faultFree);
    }

    DeliveryLedger ledger;
};

TEST_F(DeliveryLedgerTest, DueAfterThreeCalmTicksWithinItsPeriodAndNotBefore) {
    offline(1, evening);
    offline(2, evening + seconds{52});  // two ticks left in its day
    ledger.recorded(3);                 // a live delivery never cleared
    ledger.importTick(evening - seconds{4}, true);  // before any became selectable
    ticks(evening, 2);
    EXPECT_FALSE(ledger.isDue(1));
    ticks(evening + seconds{8}, 16);  // into the next day
    EXPECT_TRUE(ledger.isDue(1));
    EXPECT_FALSE(ledger.isDue(2));
    EXPECT_FALSE(ledger.isDue(3));

    const auto outcome = ledger.check({});
    EXPECT_EQ(outcome.recorded, 3);
    EXPECT_EQ(outcome.selectable, 2);
    EXPECT_EQ(outcome.due, 1);
    EXPECT_EQ(outcome.lostIds, std::vector<std::int64_t>{1});
}

TEST_F(DeliveryLedgerTest, ABreakAFaultyTickOrAnUnmendedCauseStartsTheCountAgain) {
    const Moment noon = parseDay("2017-01-01") + std::chrono::hours{12};
    offline(1, noon);
    offline(2, noon);
    ledger.spoil(2);
    ledger.spoil(2);  // two causes at once
    ticks(noon, 2);
    ledger.connectionsBroken();
    ticks(noon + seconds{8}, 2);
    ledger.importTick(noon + seconds{16}, false);
    ticks(noon + seconds{20}, 2);
    EXPECT_FALSE(ledger.isDue(1));
    ledger.mend(2);
    ticks(noon + seconds{28}, 3);
    EXPECT_TRUE(ledger.isDue(1));
    EXPECT_FALSE(ledger.isDue(2));
    ledger.mend(2);
    ticks(noon + seconds{40}, 3);
    EXPECT_TRUE(ledger.isDue(2));
}

TEST_F(DeliveryLedgerTest, CheckFindsLostDuplicatedStrayAndRepeatedSales) {
    for (std::int64_t id = 1; id <= 4; ++id) offline(id, evening);
    ledger.recorded(5);  // never selectable
    ticks(evening, 3);
    offline(6, evening + seconds{12});  // not due, carried all the same

    const auto outcome = ledger.check({
        {1, "INV/C9/311216/1", "2016-12-31 23:59:00.000"},
        {2, "INV/C9/311216/2", "2016-12-31 23:59:00.000"},
        {2, "INV/C9/311216/3", "2016-12-31 23:59:00.000"},
        {4, "INV/C9/311216/3", "2016-12-31 23:59:00.000"},  // the day has this number already
        {6, "INV/C9/311216/1", "2017-01-01 00:00:00.000"},  // same text, another day
        {5, "INV/C9/311216/4", "2016-12-31 23:59:00.000"},
        {std::nullopt, "INV/C9/311216/5", "2016-12-31 23:59:00.000"},
    });
    EXPECT_EQ(outcome.due, 4);
    EXPECT_EQ(outcome.carried, 4);
    EXPECT_EQ(outcome.lostIds, std::vector<std::int64_t>{3});
    EXPECT_EQ(outcome.duplicatedIds, std::vector<std::int64_t>{2});
    EXPECT_EQ(outcome.strays, 2);
    EXPECT_EQ(outcome.repeatedInvoices, 1);
    EXPECT_FALSE(outcome.sound());
}

TEST(SimulatedTime, PeriodsEndAtMidnightAndAtTheMonthsEnd) {
    const Moment leapDay = parseDay("2016-02-29") + std::chrono::hours{23} + seconds{3599};
    EXPECT_EQ(stationText(leapDay), "2016-02-29 23:59:59");
    EXPECT_EQ(stationText(endOfDay(leapDay)), "2016-03-01 00:00:00");
    EXPECT_EQ(stationText(endOfMonth(parseDay("2016-12-31"))), "2017-01-01 00:00:00");
    EXPECT_EQ(dateTimeOf(leapDay), (db::DateTime{2016, 2, 29, 23, 59, 59, 0}));
    EXPECT_THROW(parseDay("2017-02-29"), std::invalid_argument);
    EXPECT_THROW(parseDay("2017-2-28"), std::invalid_argument);
}

}  // namespace
}  // namespace vantrok::soak
