#include <gtest/gtest.h>

#include "BridgeStationTest.h"
#include "import/ImportCycle.h"

namespace vantrok::testing {
namespace {

using Ids = std::vector<std::int64_t>;
using Kinds = std::vector<std::string>;

class DeliveryImport : public BridgeStationTest {};

TEST_F(DeliveryImport, WritesEachNewDeliveryOnceWithThreeSalesStatementsInOrder) {
    addLive(100);
    addLive(9);
    addLive(10);
    addOffline(50);

    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (Ids{9, 10, 100, 50}));
    EXPECT_EQ(writtenIds, storedIds());
    EXPECT_EQ(salesStatementKinds(),
              (Kinds{"invoice", "describe", "fuel", "procedure", "invoice", "fuel", "procedure", "invoice", "fuel",
                     "procedure", "invoice", "fuel", "procedure"}));

    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (Ids{9, 10, 100, 50}));
    EXPECT_EQ(salesStatementKinds().size(), 13u);
    EXPECT_EQ(controllerSelections("6"), 3u);
    EXPECT_EQ(controllerSelections("14"), 3u);
    EXPECT_TRUE(trace.lines.empty());
}

TEST_F(DeliveryImport, SendsTheExactTextsAtAYearsStart) {
    clock.set({2017, 1, 3, 6, 0, 0, 0});
    addLive(7, "2017-01-03 05:30:00");
    EXPECT_TRUE(ImportCycle(bridge));

    const std::string deliveries =
        "select Hose_Delivery.*,Hoses.Pump_ID,Hoses.Hose_Number  S_Hose_ID from Hose_Delivery  left outer join "
        "Hoses on Hose_Delivery.Hose_ID=Hoses.Hose_ID where delivery_type in ('";
    EXPECT_EQ(station.statements("enablerdb"),
              (std::vector<std::string>{
                  deliveries +
                      "6') and month(Cleared_Date_Time)='1' and year(Cleared_Date_Time)='2017' AND "
                      "Cleared_Date_Time is not null and Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) "
                      "from torvane.dbo.d17_dailysale where month(s_date)='1' and year(s_date)='2017' or "
                      "month(s_date)='12' and year(s_date)='2016') and Completed_TS>='01-Dec-2016' order by cast(delivery_id "
                      "as int) asc",
                  deliveries +
                      "14') and day(Completed_TS)='3' and month(Completed_TS)='1' and year(Completed_TS)='2017' "
                      "AND Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) from torvane.dbo.d17_dailysale "
                      "where day(S_Date)='3' and month(s_date)='1' and year(s_date)='2017')"}));
    const auto sales = station.statements("torvane");
    ASSERT_EQ(sales.size(), 4u);
    EXPECT_EQ(sales[0],
              "select 'INV/'+'C9/',ISNULL(MAX(CAST(REVERSE(LEFT(REVERSE(VocNo), CHARINDEX('/',REVERSE(VocNo))-1)) "
              "AS INT)),0)+1 from D17_DailySale where CAST(RTRIM(LTRIM(CAST(DAY(S_Date) AS "
              "CHAR(2))))+'-'+CAST(DATENAME(MONTH,S_Date) AS CHAR(3))+'-'+CAST(YEAR(S_Date) AS CHAR(4)) AS "
              "DATETIME)='03-Jan-2017' AND LEFT(VocNo,6)='INV/C9'");
    EXPECT_EQ(sales[2],
              "select d1.fueltypecode from D10_Hose d1 left outer join d1_fueltype d2 on "
              "d1.fueltypecode=d2.fueltypecode left outer join d9_tank d3 on d1.tank_no=d3.tank_no where "
              "d1.pump_no='1' and d1.hose_number='1'");
    EXPECT_EQ(station.sales().at(0).at("VocNo"), "INV/C9/03117/1");
}

// Shows the next moment at every reading, as a real clock does when midnight passes.
class SteppingClock final : public Clock {
public:
    explicit SteppingClock(std::vector<db::DateTime> moments) : moments_(std::move(moments)) {}
    db::DateTime now() const override {
        const db::DateTime moment = moments_.at(next_);
        if (next_ + 1 < moments_.size()) ++next_;
        return moment;
    }

private:
    std::vector<db::DateTime> moments_;
    mutable std::size_t next_ = 0;
};

TEST_F(DeliveryImport, BuildsEachSelectionForOneMomentWhileTheYearTurns) {
    SteppingClock turning({{2016, 12, 31, 23, 59, 59, 0}, {2017, 1, 1, 0, 0, 0, 0}});
    Bridge turningBridge(turning, trace);
    turningBridge.openConnections();
    turningBridge.gallonFactor = GallonFactor;
    EXPECT_TRUE(ImportCycle(turningBridge));

    const auto selections = station.statements("enablerdb");
    ASSERT_EQ(selections.size(), 2u);
    EXPECT_NE(selections[0].find("month(Cleared_Date_Time)='12' and year(Cleared_Date_Time)='2016' AND "),
              std::string::npos);
    EXPECT_NE(selections[0].find("where month(s_date)='12' and year(s_date)='2016' or month(s_date)='11' and "
                                 "year(s_date)='2016')"),
              std::string::npos);
    EXPECT_NE(selections[1].find("day(Completed_TS)='1' and month(Completed_TS)='1' and year(Completed_TS)='2017' "
                                 "AND "),
              std::string::npos);
    EXPECT_NE(selections[1].find("where day(S_Date)='1' and month(s_date)='1' and year(s_date)='2017')"),
              std::string::npos);
}

TEST_F(DeliveryImport, FillsAllPositionsOfALiveAndAnOfflineSale) {
    sim::station::Delivery live = delivery(6, 41, "2016-11-25 17:40:12");
    live.pump = 3;
    live.hose = 2;
    live.volume = "45.460";
    live.price = "1.459";
    live.value = "66.33";
    live.meterVolume = "1045.460";
    live.meterValue = "1525.33";
    live.meterGiven = true;
    station.addDelivery(live);
    sim::station::Delivery offline = live;
    offline.type = 14;
    offline.id = 42;
    offline.volume = "20.000";
    offline.value = "2500.00";
    station.addDelivery(offline);
    station.setHoseFuel(3, 2, "DSL");

    EXPECT_TRUE(ImportCycle(bridge));
    const std::vector<SaleRow> sales = station.sales();
    ASSERT_EQ(sales.size(), 2u);
    SaleRow expected = {
        {"VocNo", "INV/C9/251116/1"},  {"S_Date", "2016-11-25 17:40:12.000"}, {"CustCode", ""},
        {"FuelTypeCode", "DSL"},       {"Pump_No", "3"},                      {"UserName", "Admin"},
        {"ShiftNo", "1"},              {"SaleType", "1"},                     {"PayMode", "9"},
        {"Qty_Gallons", "10.0000"},    {"Rate", "1.459"},                     {"Amount", "66.33"},
        {"Discount", "0.00"},          {"Tax", "0.00"},                       {"Remarks", ""},
        {"Qty_Litres", "45.460"},      {"Delivery_ID", "41"},                 {"Hose_No", "2"},
        {"Meter_Volume", "1045.460"},  {"Meter_Value", "1525.33"},            {"Posted", "0"},
        {"Printed", "0"},              {"Cancelled", "0"},                    {"Exported", "0"}};
    EXPECT_EQ(sales[0], expected);
    expected["VocNo"] = "INV/C9/251116/2";
    expected["SaleType"] = "7";
    expected["Qty_Gallons"] = "4.3995";
    expected["Rate"] = "125.000";
    expected["Amount"] = "2500.00";
    expected["Qty_Litres"] = "20.000";
    expected["Delivery_ID"] = "42";
    EXPECT_EQ(sales[1], expected);
}

TEST_F(DeliveryImport, RoundsExactHalvesOfTheOfflineUnitPriceToEven) {
    const std::pair<const char*, const char*> valueAndVolume[] = {
        {"0.30", "0.200"}, {"0.70", "0.200"}, {"1000.00", "400.000"}, {"3000.00", "400.000"}, {"1100.00", "400.000"}};
    int id = 1;
    for (const auto& [value, volume] : valueAndVolume) {
        sim::station::Delivery d = delivery(14, id++, "2016-11-25 09:00:00");
        d.value = value;
        d.volume = volume;
        station.addDelivery(d);
    }
    EXPECT_TRUE(ImportCycle(bridge));
    std::vector<std::string> rates;
    for (const SaleRow& sale : station.sales()) rates.push_back(sale.at("Rate").value());
    EXPECT_EQ(rates, (std::vector<std::string>{"2.000", "4.000", "2.000", "8.000", "3.000"}));
}

TEST_F(DeliveryImport, NumbersInvoicesPerCompletionDayFromOne) {
    addLive(1, "2016-11-24 23:59:59");
    addLive(2, "2016-11-25 00:00:00");
    addLive(3, "2016-11-25 12:00:00");
    addOffline(4);

    EXPECT_TRUE(ImportCycle(bridge));
    std::vector<std::string> vouchers;
    for (const SaleRow& sale : station.sales()) vouchers.push_back(sale.at("VocNo").value());
    EXPECT_EQ(vouchers, (std::vector<std::string>{"INV/C9/241116/1", "INV/C9/251116/1", "INV/C9/251116/2",
                                                  "INV/C9/251116/3"}));
}

TEST_F(DeliveryImport, CarriesADeliveryOnceAcrossTheEndOfAMonthAndOfAYear) {
    sim::station::Delivery november = delivery(6, 1, "2016-11-30 23:59:00");
    november.cleared = "2016-12-01 00:01:00";
    station.addDelivery(november);
    sim::station::Delivery december = delivery(6, 2, "2016-12-31 23:58:00");
    december.cleared = "2017-01-01 00:00:30";
    station.addDelivery(december);

    for (const db::DateTime& now : {db::DateTime{2016, 12, 1, 0, 2, 0, 0}, db::DateTime{2016, 12, 1, 0, 2, 4, 0},
                                    db::DateTime{2016, 12, 31, 23, 59, 59, 0}, db::DateTime{2017, 1, 1, 0, 1, 0, 0},
                                    db::DateTime{2017, 1, 1, 0, 1, 4, 0}, db::DateTime{2017, 1, 31, 12, 0, 0, 0}}) {
        clock.set(now);
        EXPECT_TRUE(ImportCycle(bridge));
    }
    EXPECT_EQ(storedIds(), (Ids{1, 2}));
}

TEST_F(DeliveryImport, OfflineTakesOnlyTodaysDeliveriesClearedOrNot) {
    clock.set({2016, 2, 29, 23, 59, 59, 0});
    sim::station::Delivery today = delivery(14, 1, "2016-02-29 00:00:00");
    today.uncleared = true;
    station.addDelivery(today);
    station.addDelivery(delivery(14, 2, "2016-02-28 23:59:59"));
    station.addDelivery(delivery(14, 3, "2016-03-01 00:00:00"));

    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (Ids{1}));
    EXPECT_EQ(station.sales().at(0).at("VocNo"), "INV/C9/29216/1");
}

TEST_F(DeliveryImport, WritesAnEmptyFuelTypeWhenTheHoseMasterHasNoRow) {
    station.sql("torvane", "DELETE FROM D10_Hose WHERE pump_no = 1 AND hose_number = 1");
    addLive(5);
    EXPECT_TRUE(ImportCycle(bridge));
    ASSERT_EQ(station.sales().size(), 1u);
    EXPECT_EQ(station.sales().at(0).at("FuelTypeCode"), "");
}

}  // namespace
}  // namespace vantrok::testing
