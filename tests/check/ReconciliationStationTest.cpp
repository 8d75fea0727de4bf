#include <gtest/gtest.h>

#include "CheckStationTest.h"
#include "check/report/ReportFormats.h"
#include "import/ImportCycle.h"
#include "import/SelectionTexts.h"

namespace vantrok::testing {
namespace {

using Standing = std::map<std::int64_t, std::string>;

class Reconciliation : public CheckStationTest {
protected:
    // Deliveries lost in every way, among carried, waiting and uncleared ones,
    // on 25-Nov-2016. Each hose's deliveries come in time order, so their
    // meters continue.
    void recordEveryKindOfLoss() {
        station.addDelivery(on(1, 1, 6, 10, "2016-11-20 10:00:00"));
        station.addDelivery(on(1, 1, 14, 11, "2016-11-25 09:00:00"));
        addSale("INV/C9/031016/1", "2016-10-03 09:00:00", "5");  // of a delivery 5 the controller has forgotten
        addSale("INV/C9", "2016-11-12 10:00:00", "NULL");         // poisons its day's invoice query
        ASSERT_TRUE(ImportCycle(bridge));                          // carries 10 and 11

        auto storm = on(1, 2, 6, 20, "2016-09-20 08:00:00");
        storm.cleared = "2016-11-20 08:00:00";
        station.addDelivery(storm);
        station.addDelivery(on(1, 2, 6, 21, "2016-10-10 08:00:00"));
        station.addDelivery(on(1, 2, 14, 22, "2016-11-23 12:00:00"));
        auto zero = on(2, 1, 14, 30, "2016-11-22 12:00:00");
        zero.volume = "0.000";
        zero.value = "0.00";
        station.addDelivery(zero);
        auto noValue = on(2, 2, 14, 31, "2016-11-21 12:00:00");
        noValue.value.reset();
        station.addDelivery(noValue);
        station.addDelivery(onHoseId(99, 6, 32, "2016-10-12 08:00:00"));
        station.addDelivery(on(3, 1, 14, 33, "2016-11-24 10:00:00"));
        station.setHoseFuel(3, 1, std::nullopt);
        station.addDelivery(on(3, 2, 14, 34, "2016-11-12 11:00:00"));
        station.addDelivery(on(3, 3, 6, 5, "2016-11-05 09:00:00"));  // numbered from 1 again
        station.addDelivery(onHoseId(98, 6, 35, "2016-11-25 08:00:00"));
        station.addDelivery(on(4, 1, 6, 40, "2016-11-25 17:00:00"));
        auto uncleared = on(4, 1, 6, 41, "2016-11-25 17:10:00");
        uncleared.uncleared = true;
        station.addDelivery(uncleared);
        station.addDelivery(on(2, 3, 3, 60, "2016-11-01 08:00:00"));
        station.addDelivery(on(2, 3, 14, 61, "2016-11-26 08:00:00"));  // the controller's clock is ahead
    }

    void mendTheData() {
        station.sql("enablerdb",
                    "INSERT INTO Hoses (Hose_ID, Pump_ID, Hose_Number, Grade_ID, Tank_ID) VALUES (99, 4, 3, 3, 3);"
                    "INSERT INTO Hoses (Hose_ID, Pump_ID, Hose_Number, Grade_ID, Tank_ID) VALUES (98, 4, 2, 2, 2);"
                    "UPDATE Hose_Delivery SET Delivery_Volume = '20.000', Delivery_Value = '29.18' "
                    "WHERE Delivery_ID = 30;"
                    "UPDATE Hose_Delivery SET Delivery_Value = '29.18' WHERE Delivery_ID = 31");
        station.setHoseFuel(3, 1, "ULP");
        station.sql("torvane", "UPDATE D17_DailySale SET VocNo = 'INV/C9/121116/1' WHERE VocNo = 'INV/C9'");
    }
};

TEST_F(Reconciliation, NamesEveryLostDeliveryWithItsReasonsAndCarryWritesEachOnce) {
    recordEveryKindOfLoss();
    const check::Reconciliation before = reportOn("2016-09-01", "2016-11-30");
    EXPECT_FALSE(before.accountedFor());
    EXPECT_EQ(standing(before),
              (Standing{
                  {5, "missing delivery-id-taken"},
                  {20, "missing completed-before-live-window"},
                  {21, "missing cleared-in-uncovered-month"},
                  {22, "missing offline-of-earlier-day"},
                  {30, "missing offline-of-earlier-day zero-volume"},
                  {31, "missing offline-of-earlier-day null-value"},
                  {32, "missing cleared-in-uncovered-month no-hoses-row"},
                  {33, "missing offline-of-earlier-day null-fuel-type"},
                  {34, "missing offline-of-earlier-day unreadable-voucher"},
                  {35, "stuck live-import-selects no-hoses-row"},
                  {40, "waiting live-import-selects"},
                  {41, "uncleared not-cleared"},
                  {61, "waiting ahead-of-the-clock"},
              }));
    EXPECT_EQ(before.total.live, 8);
    EXPECT_EQ(before.total.offline, 7);
    EXPECT_EQ(before.total.otherTypes, 1);
    EXPECT_EQ(before.total.carried, 2);
    EXPECT_EQ(before.total.missing, 9);
    EXPECT_EQ(before.total.stuck, 1);
    EXPECT_EQ(before.total.waiting, 2);
    EXPECT_EQ(before.total.uncleared, 1);
    ASSERT_EQ(before.days.size(), 13u);  // the days with deliveries
    const check::DayFigures& today = before.days[11];
    EXPECT_EQ(check::isoText(today.day), "2016-11-25");
    EXPECT_EQ(today.live, 3);
    EXPECT_EQ(today.offline, 1);
    EXPECT_EQ(today.carried, 1);
    EXPECT_EQ(today.stuck, 1);
    EXPECT_EQ(today.waiting, 1);
    EXPECT_EQ(today.uncleared, 1);
    ASSERT_EQ(before.invoiceDays.size(), 1u);
    EXPECT_EQ(before.invoiceDays[0].unreadable, std::vector<std::string>{"INV/C9"});
    EXPECT_TRUE(before.carriedMoreThanOnce.empty());  // 5 of October is another delivery than 5 of November
    EXPECT_TRUE(before.meterBreaks.empty());

    // Carry holds up only the deliveries that still cannot be written.
    const check::CarryOutcome unmended = carry("2016-09-01", "2016-11-30");
    EXPECT_EQ(unmended.written, 4);  // 5, 20, 21 and 22
    EXPECT_EQ(unmended.failed, 5);
    EXPECT_FALSE(unmended.ended);
    ASSERT_EQ(trace.lines.size(), 5u);
    EXPECT_EQ(trace.lines[0], "vantrok-check carry Delivery_ID 32: Invalid use of Null: Pump_ID");

    mendTheData();
    ASSERT_TRUE(ImportCycle(bridge));  // the stuck delivery goes through with its import
    const check::CarryOutcome mended = carry("2016-09-01", "2016-11-30");
    EXPECT_EQ(mended.written, 5);
    EXPECT_EQ(mended.failed, 0);

    const check::Reconciliation after = reportOn("2016-09-01", "2016-11-30");
    EXPECT_TRUE(after.accountedFor()) << check::reportText(after);
    EXPECT_EQ(standing(after), (Standing{{41, "uncleared not-cleared"}, {61, "waiting ahead-of-the-clock"}}));
    EXPECT_EQ(after.total.carried, 13);

    // Nothing is left to carry, and nothing was written twice.
    EXPECT_EQ(carry("2016-09-01", "2016-11-30").written, 0);
    for (int tick = 0; tick < 3; ++tick) ImportCycle(bridge);
    for (const auto& [key, count] : salesPerDeliveryAndDay()) EXPECT_EQ(count, 1) << key.first << " " << key.second;
    EXPECT_EQ(station.sales().size(), 15u);  // and the two sales made by hand
}

TEST_F(Reconciliation, ADeliveryClearedTwoMonthsAfterItsCompletionIsWrittenOnceAcrossTicks) {
    auto late = on(1, 2, 6, 20, "2016-09-20 08:00:00");
    late.cleared = "2016-11-20 08:00:00";
    station.addDelivery(late);
    for (int tick = 0; tick < 3; ++tick) ASSERT_TRUE(ImportCycle(bridge));
    EXPECT_TRUE(station.sales().empty());  // the live import leaves it to the check

    EXPECT_EQ(standing(reportOn("2016-09-01", "2016-11-30")), (Standing{{20, "missing completed-before-live-window"}}));
    EXPECT_EQ(carry("2016-09-01", "2016-11-30").written, 1);
    const db::DateTime laterTicks[] = {
        {2016, 11, 25, 17, 42, 34, 0}, {2016, 11, 30, 23, 59, 59, 0}, {2016, 12, 1, 0, 0, 3, 0}};
    for (const db::DateTime& moment : laterTicks) {
        clock.set(moment);
        ASSERT_TRUE(ImportCycle(bridge));
    }
    ASSERT_EQ(station.sales().size(), 1u);
    EXPECT_EQ(station.sales()[0].at("S_Date"), "2016-09-20 08:00:00.000");
    EXPECT_EQ(station.sales()[0].at("VocNo"), "INV/C9/20916/1");
    clock.set({2016, 11, 25, 17, 42, 30, 0});
    EXPECT_TRUE(reportOn("2016-09-01", "2016-11-30").accountedFor());
    EXPECT_EQ(carry("2016-09-01", "2016-11-30").written, 0);
}

TEST_F(Reconciliation, DeliveryIdsNumberedAgainAreNoDuplicatesButASecondSaleOfTheSameDayIs) {
    addSale("INV/C9/31016/1", "2016-10-03 09:00:00", "1");  // the first delivery 1, long forgotten by the controller
    station.addDelivery(on(1, 1, 14, 1, "2016-11-25 09:00:00"));
    ASSERT_TRUE(ImportCycle(bridge));
    station.addDelivery(on(1, 1, 14, 2, "2016-11-24 10:00:00"));
    addSale("INV/C9/241116/1", "2016-11-24 10:00:00", "2");
    addSale("INV/C9/241116/2", "2016-11-24 10:00:00", "2");

    const check::Reconciliation report = reportOn("2016-10-01", "2016-11-30");
    EXPECT_TRUE(standing(report).empty());
    EXPECT_EQ(report.total.carried, 2);
    ASSERT_EQ(report.carriedMoreThanOnce.size(), 1u);
    EXPECT_EQ(check::isoText(report.carriedMoreThanOnce[0].day), "2016-11-24");
    EXPECT_EQ(report.carriedMoreThanOnce[0].deliveryId, 2);
    EXPECT_EQ(report.carriedMoreThanOnce[0].vouchers, (std::vector<std::string>{"INV/C9/241116/1", "INV/C9/241116/2"}));
    EXPECT_FALSE(report.accountedFor());
    EXPECT_EQ(carry("2016-10-01", "2016-11-30").written, 0);  // carry never undoes or adds to a duplicate
}

TEST_F(Reconciliation, ReadsEachMonthWithAFewWholeStatementsHoweverManyDeliveries) {
    for (int id = 1; id <= 60; ++id) {
        const std::string day = std::to_string(10 + id % 15);
        const std::string month = id % 3 == 0 ? "09" : id % 3 == 1 ? "10" : "11";
        station.addDelivery(on(1 + id % 4, 1 + id % 3, id % 2 ? 6 : 14, id, "2016-" + month + "-" + day + " 10:00:00"));
    }
    const std::size_t controllerBefore = station.statements("enablerdb").size();
    const std::size_t salesBefore = station.statements("torvane").size();
    reportOn("2016-09-15", "2016-11-30");

    const auto controller = station.statements("enablerdb");
    const auto sales = station.statements("torvane");
    const std::vector<std::string> read(controller.begin() + static_cast<std::ptrdiff_t>(controllerBefore),
                                        controller.end());
    const std::vector<std::string> readSales(sales.begin() + static_cast<std::ptrdiff_t>(salesBefore), sales.end());
    ASSERT_EQ(read.size(), 6u);
    EXPECT_NE(read[0].find("where Completed_TS>='15-Sep-2016' and Completed_TS<'01-Oct-2016' order by"),
              std::string::npos);
    EXPECT_NE(read[2].find("where Completed_TS>='01-Nov-2016' and Completed_TS<'01-Dec-2016' order by"),
              std::string::npos);
    EXPECT_NE(read[3].find("p.Completed_TS<'15-Sep-2016')"), std::string::npos);
    EXPECT_EQ(read[4], liveSelectionText(clock.now()));
    EXPECT_EQ(read[5], offlineSelectionText(clock.now()));
    EXPECT_EQ(readSales,
              (std::vector<std::string>{
                  "select Delivery_ID,S_Date,VocNo from D17_DailySale where S_Date>='15-Sep-2016' and "
                  "S_Date<'01-Oct-2016'",
                  "select Delivery_ID,S_Date,VocNo from D17_DailySale where S_Date>='01-Oct-2016' and "
                  "S_Date<'01-Nov-2016'",
                  "select Delivery_ID,S_Date,VocNo from D17_DailySale where S_Date>='01-Nov-2016' and "
                  "S_Date<'01-Dec-2016'",
                  "select pump_no,hose_number,fueltypecode from D10_Hose"}));
}

}  // namespace
}  // namespace vantrok::testing
