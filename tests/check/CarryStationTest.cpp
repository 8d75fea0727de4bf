#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "CheckStationTest.h"
#include "check/station/Statements.h"
#include "db/Transaction.h"
#include "import/ImportCycle.h"

namespace vantrok::testing {
namespace {

using namespace std::chrono_literals;

class Carry : public CheckStationTest {
protected:
    // Yesterday's offline deliveries: no import takes them any more, carry does.
    void addYesterdaysOffline(int first, int count) {
        for (int id = first; id < first + count; ++id)
            station.addDelivery(on(1, 1, 14, id, "2016-11-24 10:" + twoDigits(id % 60) + ":00"));
    }

    static std::string twoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

    // Each voucher of a day ("2016-11-24") with the Delivery_IDs that carry it.
    std::map<std::string, std::vector<std::int64_t>> vouchersOf(const std::string& day) const {
        std::map<std::string, std::vector<std::int64_t>> vouchers;
        for (const SaleRow& sale : station.sales())
            if (sale.at("S_Date")->substr(0, 10) == day) vouchers[*sale.at("VocNo")].push_back(std::stoll(*sale.at("Delivery_ID")));
        return vouchers;
    }
};

// VANTROK took INV/C9/241116/1 before carry's write and writes its sale
// with it after: carry's own sale moves to the next free number, VANTROK's keeps its.
TEST_F(Carry, GivesItsOwnSaleTheNextNumberWhenAWriteInFlightTookTheSameOne) {
    addYesterdaysOffline(7, 1);
    settle.meanwhile = [this] { addSale("INV/C9/241116/1", "2016-11-24 09:00:00", "900"); };
    const check::CarryOutcome outcome = carry("2016-11-24", "2016-11-24");
    EXPECT_TRUE(outcome.clean());
    EXPECT_EQ(outcome.written, 1);
    EXPECT_EQ(outcome.renumbered, 1);
    EXPECT_EQ(carryLog.lines,
              (std::vector<std::string>{"wrote 7 INV/C9/241116/1", "renumbered 7 INV/C9/241116/1 INV/C9/241116/2"}));
    EXPECT_EQ(settle.waits, 2) << "the new number is checked again";
    EXPECT_EQ(vouchersOf("2016-11-24"), (std::map<std::string, std::vector<std::int64_t>>{
                                            {"INV/C9/241116/1", {900}}, {"INV/C9/241116/2", {7}}}));
    // Under the table lock, each write and the renumbering in a transaction of its own.
    const auto texts = station.statements("torvane");
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.find("with (tablockx, holdlock)") != std::string::npos; }),
              2);
}

// A write with the same number and the same moment updated carry's sale in
// place: its delivery lost its sale, and carry writes it again.
TEST_F(Carry, WritesADeliveryAgainWhoseSaleAnotherWriteOverwrote) {
    addYesterdaysOffline(7, 1);
    settle.meanwhile = [this] { station.sql("torvane", "UPDATE D17_DailySale SET Delivery_ID = 900"); };
    const check::CarryOutcome outcome = carry("2016-11-24", "2016-11-24");
    EXPECT_TRUE(outcome.clean());
    EXPECT_EQ(carryLog.lines, (std::vector<std::string>{"wrote 7 INV/C9/241116/1", "lost 7 INV/C9/241116/1",
                                                         "wrote 7 INV/C9/241116/2"}));
    EXPECT_EQ(vouchersOf("2016-11-24"), (std::map<std::string, std::vector<std::int64_t>>{
                                            {"INV/C9/241116/1", {900}}, {"INV/C9/241116/2", {7}}}));
}

// The imports write live deliveries completed yesterday and cleared now,
// sales of yesterday, as fast as they can, while carry writes yesterday's
// offline deliveries: no number of the day is given twice, and every
// delivery has its one sale.
TEST_F(Carry, WritesBesideImportsOfTheSameDayGiveNoInvoiceNumberTwice) {
    constexpr int carried = 30;
    addYesterdaysOffline(1, carried);
    CollectingTrace importTrace;
    Bridge importer(clock, importTrace);
    importer.openConnections();
    importer.gallonFactor = bridge.gallonFactor;
    std::atomic<bool> stop{false};
    std::atomic<int> recorded{0};
    std::thread imports([&] {
        for (int id = 1000; !stop; ++id) {
            sim::station::Delivery live = on(1, 1, 6, id, "2016-11-24 11:" + twoDigits(id % 60) + ":00");
            live.cleared = "2016-11-25 17:00:00";
            station.addDelivery(live);
            ++recorded;
            ImportCycle(importer);
        }
    });
    // Far longer than an import's number query and write take, as carry's
    // real wait is to VANTROK's command time-outs.
    settle.pause = 1500ms;
    const check::CarryOutcome outcome = carry("2016-11-24", "2016-11-24");
    stop = true;
    imports.join();
    ImportCycle(importer);

    EXPECT_TRUE(outcome.clean());
    EXPECT_EQ(outcome.written, carried);
    std::set<std::int64_t> ids;
    for (const auto& [voucher, holders] : vouchersOf("2016-11-24")) {
        EXPECT_EQ(holders.size(), 1u) << voucher << " is given to more than one sale";
        ids.insert(holders.begin(), holders.end());
    }
    EXPECT_EQ(ids.size(), static_cast<std::size_t>(carried + recorded)) << "a delivery without its one sale";
    EXPECT_GT(recorded, 5) << "the imports hardly ran beside carry";
}

// The overwritten sale's second write fails: it counts as failed, and the
// check goes on with the sales carry did write, none in its place.
TEST_F(Carry, ASecondWriteThatFailsIsAFailureAndNoOtherSaleTakesItsPlace) {
    addYesterdaysOffline(7, 2);
    settle.meanwhile = [this] {
        station.sql("torvane", "UPDATE D17_DailySale SET Delivery_ID = 900 WHERE Delivery_ID = 7");
        station.setFault("proc-fails", "on");
    };
    const check::CarryOutcome outcome = carry("2016-11-24", "2016-11-24");
    EXPECT_FALSE(outcome.clean());
    EXPECT_EQ(outcome.written, 1);
    EXPECT_EQ(outcome.failed, 1);
    EXPECT_EQ(carryLog.lines, (std::vector<std::string>{"wrote 7 INV/C9/241116/1", "wrote 8 INV/C9/241116/2",
                                                         "lost 7 INV/C9/241116/1"}));
    EXPECT_EQ(settle.waits, 1) << "nothing written is left to check";
    EXPECT_TRUE(journal().entries().empty());
}

// An earlier carry, with a longer settle than this one, left a sale whose
// number VANTROK's also carries: it is not checked before its own settle
// has passed, and the run does not count it as done.
TEST_F(Carry, LeavesAnEarlierSaleAloneUntilItsOwnSettleAndIsNotDoneMeanwhile) {
    addSale("INV/C9/241116/1", "2016-11-24 09:00:00", "900");
    addSale("INV/C9/241116/1", "2016-11-24 10:00:00", "7");
    journal().add({{2016, 11, 24}, 7, "INV/C9/241116/1", check::unixNow() + 3600});
    check::CarryOutcome outcome = check::carryDeliveries(bridge, journal(), {}, settle, 0, carryLog);
    EXPECT_FALSE(outcome.clean());
    EXPECT_EQ(outcome.unchecked, 1);
    EXPECT_TRUE(carryLog.lines.empty());
    EXPECT_EQ(journal().entries().size(), 1u);

    journal().replace(journal().entries().front(), {{2016, 11, 24}, 7, "INV/C9/241116/1", check::unixNow()});
    settle.waits = 0;
    outcome = check::carryDeliveries(bridge, journal(), {}, settle, 0, carryLog);
    EXPECT_TRUE(outcome.clean());
    EXPECT_EQ(carryLog.lines, std::vector<std::string>{"renumbered 7 INV/C9/241116/1 INV/C9/241116/2"});
    EXPECT_EQ(settle.waits, 2) << "the new number is checked after a settle of its own";
    EXPECT_TRUE(journal().entries().empty());
}

// Another session holds the daily sales locked: carry waits a few seconds,
// not for as long as the lock lasts, writes nothing, and says why.
TEST_F(Carry, WaitsForTheSalesTableAFewSecondsThenSaysItIsBusy) {
    addYesterdaysOffline(7, 1);
    const std::vector<check::DeliveryRecord> missing = reportOn("2016-11-24", "2016-11-24").toCarry();
    CollectingTrace otherTrace;
    Bridge other(clock, otherTrace);
    other.openConnections();
    db::Transaction holding(other.salesConnection);
    const check::CalendarDay day{2016, 11, 24};
    other.salesConnection.execute(check::salesLockText(day, check::nextDay(day))).close();

    const auto started = std::chrono::steady_clock::now();
    const check::CarryOutcome outcome = check::carryDeliveries(bridge, journal(), missing, settle, 0, carryLog);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(outcome.busy);
    EXPECT_FALSE(outcome.clean());
    EXPECT_EQ(outcome.written, 0);
    EXPECT_GE(waited, 4900ms);
    EXPECT_LT(waited, 15s);
    ASSERT_FALSE(trace.lines.empty());
    EXPECT_NE(trace.lines.back().find("the sales table is busy: try again"), std::string::npos) << trace.lines.back();
    EXPECT_TRUE(journal().entries().empty());
    EXPECT_TRUE(salesPerDeliveryAndDay().empty());
}

}  // namespace
}  // namespace vantrok::testing
