#include <vector>

#include "tests/sim/EngineTest.h"
#include "tests/sim/StatementTexts.h"

namespace vantrok::sim {
namespace {

class DeliverySelectionTest : public EngineTest {
protected:
    void SetUp() override { controller = connect("enablerdb"); }

    std::vector<std::string> ids(const std::string& sql) {
        std::vector<std::string> found;
        for (const Row& row : query(*controller, sql).rows) found.push_back(row[0].value_or("NULL"));
        return found;
    }

    std::unique_ptr<Session> controller;
};

using Ids = std::vector<std::string>;

TEST_F(DeliverySelectionTest, LiveTakesType6ClearedInTheMonthInIntegerOrder) {
    station.addDelivery(6, 100, "2016-11-02 10:00:00", "2016-11-02 10:00:00");
    station.addDelivery(6, 9, "2016-11-01 00:00:00", "2016-11-01 00:00:00");
    station.addDelivery(6, 10, "2016-10-31 23:00:00", "2016-11-30 23:59:59.997");
    station.addDelivery(6, 11, "2016-10-31 23:00:00", "2016-10-31 23:59:59.997");  // last month
    station.addDelivery(6, 12, "2016-11-30 23:00:00", "2016-12-01 00:00:00");      // next month
    station.addDelivery(6, 13, "2016-11-05 09:00:00", std::nullopt);               // not cleared
    station.addDelivery(14, 14, "2016-11-05 09:00:00", "2016-11-05 09:00:00");     // offline
    station.addDelivery(6, 15, "2015-11-05 09:00:00", "2015-11-05 09:00:00");      // a year earlier
    EXPECT_EQ(ids(texts::live("11", "2016")), (Ids{"9", "10", "100"}));
    // The quoted numbers convert to int as the server converts them.
    EXPECT_EQ(ids(texts::live(" 011", "2016")), (Ids{"9", "10", "100"}));
    EXPECT_EQ(ids(texts::live("13", "2016")), Ids{});
}

TEST_F(DeliverySelectionTest, LiveLeavesOutWhatTheMonthsSalesCarry) {
    for (int id : {9, 10, 11}) station.addDelivery(6, id, "2016-11-20 10:00:00", "2016-11-20 10:00:00");
    addSale("INV/C9/201116/1", "2016-11-20 10:00:01.000", 10);
    addSale("INV/C9/311016/1", "2016-10-31 23:59:59.997", 9);  // carried by last month's sale only
    EXPECT_EQ(ids(texts::live("11", "2016")), (Ids{"9", "11"}));
    EXPECT_EQ(ids(texts::liveWindowed("11", "2016", "10", "2016", "01-Oct-2016")), (Ids{"11"}));
}

TEST_F(DeliverySelectionTest, ExclusionOfTheMonthBeforeReachesBackOverTheYearsEnd) {
    // Completed in December, cleared in January, its sale dated at completion.
    station.addDelivery(6, 41, "2016-12-31 23:50:00", "2017-01-03 08:00:00");
    station.addDelivery(6, 42, "2017-01-02 08:00:00", "2017-01-02 08:00:00");
    addSale("INV/C9/311216/1", "2016-12-31 23:50:00", 41);
    addSale("INV/C9/311215/1", "2015-12-31 23:50:00", 42);  // December of another year
    EXPECT_EQ(ids(texts::live("1", "2017")), (Ids{"41", "42"}));
    EXPECT_EQ(ids(texts::liveWindowed("1", "2017", "12", "2016", "01-Dec-2016")), (Ids{"42"}));
}

TEST_F(DeliverySelectionTest, WindowLeavesOutWhatWasCompletedBeforeItsFirstMoment) {
    station.addDelivery(6, 1, "2016-09-30 23:59:59.997", "2016-11-02 10:00:00");
    station.addDelivery(6, 2, "2016-10-01 00:00:00", "2016-11-02 10:00:00");
    station.addDelivery(6, 3, "2016-11-02 09:00:00", "2016-11-02 10:00:00");
    // Written by another tool without its milliseconds: still of the first day.
    station.sql("enablerdb", "UPDATE Hose_Delivery SET Completed_TS = '2016-10-01 00:00:00' WHERE Delivery_ID = 2");
    EXPECT_EQ(ids(texts::liveWindowed("11", "2016", "10", "2016", "01-Oct-2016")), (Ids{"2", "3"}));
    EXPECT_EQ(ids(texts::liveWindowed("11", "2016", "10", "2016", "Nov 2 2016 9:00AM")), (Ids{"3"}));
    // The literal becomes a datetime, rounded to 1/300 s: .001 is .000, .002 is .003.
    EXPECT_EQ(ids(texts::liveWindowed("11", "2016", "10", "2016", "2016-11-02 09:00:00.001")), (Ids{"3"}));
    EXPECT_EQ(ids(texts::liveWindowed("11", "2016", "10", "2016", "2016-11-02 09:00:00.002")), Ids{});
    expectError(failureOf([&] { query(*controller, texts::liveWindowed("11", "2016", "10", "2016", "31-Oct")); }),
                "22007", 241, "Conversion failed when converting date and/or time from character string.");
    expectError(failureOf([&] { query(*controller, texts::liveWindowed("11", "2016", "10", "2016", "31-Sep-2016")); }),
                "22008", 242,
                "The conversion of a varchar data type to a datetime data type resulted in an out-of-range value.");
}

TEST_F(DeliverySelectionTest, NullDeliveryIdOfASaleCountsAsZero) {
    station.addDelivery(6, 0, "2016-11-20 10:00:00", "2016-11-20 10:00:00");
    station.addDelivery(6, 5, "2016-11-20 10:00:00", "2016-11-20 10:00:00");
    addSale("INV/C9/201116/1", "2016-11-20 11:00:00", std::nullopt);
    // A NULL in a NOT IN list would select nothing at all; isnull makes it 0.
    EXPECT_EQ(ids(texts::live("11", "2016")), (Ids{"5"}));
    station.addDelivery(14, 7, "2016-11-20 10:00:00", std::nullopt);
    EXPECT_EQ(ids(texts::offline("20", "11", "2016")), (Ids{"7"}));
}

TEST_F(DeliverySelectionTest, OfflineTakesType14CompletedThatDayClearedOrNot) {
    station.addDelivery(14, 1, "2016-03-05 00:00:00", std::nullopt);
    station.addDelivery(14, 2, "2016-03-05 23:59:59.997", "2016-03-06 08:00:00");
    station.addDelivery(14, 3, "2016-03-04 23:59:59.997", std::nullopt);  // the day before
    station.addDelivery(14, 4, "2016-03-05 12:00:00", std::nullopt);
    station.addDelivery(6, 5, "2016-03-05 12:00:00", "2016-03-05 12:00:00");  // live
    addSale("INV/C9/05316/1", "2016-03-05 12:00:01", 4);
    addSale("INV/C9/04316/1", "2016-03-04 12:00:01", 1);  // another day's sale does not exclude
    EXPECT_EQ(ids(texts::offline("5", "3", "2016")), (Ids{"1", "2"}));
    EXPECT_EQ(ids(texts::offline("30", "2", "2016")), Ids{});
}

TEST_F(DeliverySelectionTest, DescribesEveryDeliveryColumnWithTheHosesPumpAndNumber) {
    auto orphan = testing::TestStation::delivery(6, 1, "2016-11-25 17:42:30");
    orphan.pump.reset();  // a hose the controller's Hoses table does not know
    orphan.hose.reset();
    orphan.hoseId = 99;
    orphan.volume = "45.46";
    station.addDelivery(orphan);
    station.addDelivery(6, 2, "2016-11-25 17:42:30.005", "2016-11-25 17:42:31");
    ResultTable t = query(*controller, texts::live("11", "2016"));
    ASSERT_EQ(t.rows.size(), 2u);
    auto column = [&](const std::string& name) -> std::size_t {
        for (std::size_t i = 0; i < t.columns.size(); ++i)
            if (t.columns[i].name == name) return i;
        ADD_FAILURE() << "no column " << name;
        return 0;
    };
    EXPECT_EQ(t.columns[column("Delivery_ID")].type, SqlType::Int);
    EXPECT_EQ(t.columns[column("Delivery_Volume")].type, SqlType::Decimal);
    EXPECT_EQ(t.columns[column("Delivery_Volume")].scale, 3);
    EXPECT_EQ(t.columns[column("Completed_TS")].type, SqlType::DateTime);
    EXPECT_EQ(t.columns[column("Cleared_Date_Time")].type, SqlType::DateTime);
    EXPECT_EQ(t.columns[column("Hose_Meter_Volume")].type, SqlType::Decimal);
    EXPECT_EQ(t.columns[t.columns.size() - 2].name, "Pump_ID");
    EXPECT_EQ(t.columns.back().name, "S_Hose_ID");
    EXPECT_EQ(t.columns.back().type, SqlType::Int);
    EXPECT_EQ(t.rows[0][column("Delivery_Volume")], "45.460");
    EXPECT_EQ(t.rows[0][column("Pump_ID")], std::nullopt);
    EXPECT_EQ(t.rows[0][column("S_Hose_ID")], std::nullopt);
    EXPECT_EQ(t.rows[1][column("Completed_TS")], "2016-11-25 17:42:30.007");
    EXPECT_EQ(t.rows[1][column("Pump_ID")], "1");
    EXPECT_EQ(t.rows[1][column("S_Hose_ID")], "1");
    // Rows that other tools wrote loosely come back in their columns' form.
    station.sql("enablerdb", "UPDATE Hose_Delivery SET Cleared_Date_Time = '2016-11-25 17:42:31', "
                             "Delivery_Value = '66.3' WHERE Delivery_ID = 2");
    t = query(*controller, texts::live("11", "2016"));
    EXPECT_EQ(t.rows[1][column("Cleared_Date_Time")], "2016-11-25 17:42:31.000");
    EXPECT_EQ(t.rows[1][column("Delivery_Value")], "66.30");
}

TEST_F(DeliverySelectionTest, FailsAsTheServerDoes) {
    expectError(failureOf([&] { query(*controller, texts::live("Nov", "2016")); }), "22018", 245,
                "Conversion failed when converting the varchar value 'Nov' to data type int.");
    expectError(failureOf([&] { query(*controller, texts::offline("5", "3", "99999999999")); }), "22003", 248,
                "The conversion of the varchar value '99999999999' overflowed an int column.");
    auto sales = connect("torvane");
    expectError(failureOf([&] { query(*sales, texts::live("11", "2016")); }), "42S02", 208,
                "Invalid object name 'Hose_Delivery'.");
    station.sql("torvane", "DROP TABLE D17_DailySale");
    expectError(failureOf([&] { query(*controller, texts::live("11", "2016")); }), "42S02", 208,
                "Invalid object name 'torvane.dbo.d17_dailysale'.");
}

}  // namespace
}  // namespace vantrok::sim
