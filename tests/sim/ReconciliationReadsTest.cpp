#include <vector>

#include "tests/sim/EngineTest.h"
#include "tests/sim/StatementTexts.h"

namespace vantrok::sim {
namespace {

class ReconciliationReadsTest : public EngineTest {
protected:
    void SetUp() override {
        controller = connect("enablerdb");
        sales = connect("torvane");
    }

    // One column of every row, NULL as "NULL".
    static std::vector<std::string> column(const ResultTable& t, std::size_t index) {
        std::vector<std::string> values;
        for (const Row& row : t.rows) values.push_back(row.at(index).value_or("NULL"));
        return values;
    }

    void addMeteredDelivery(int id, int hose, const std::string& completed, const std::string& meterVolume) {
        auto d = testing::TestStation::delivery(14, id, completed);
        d.hose = hose;
        d.meterVolume = meterVolume;
        d.meterValue = "100.00";
        d.meterGiven = true;
        station.addDelivery(d);
    }

    std::unique_ptr<Session> controller;
    std::unique_ptr<Session> sales;
};

using Values = std::vector<std::string>;

TEST_F(ReconciliationReadsTest, DeliveriesCompletedInASpanComeWithTheirHoseInDeliveryOrder) {
    station.addDelivery(6, 10, "2016-11-01 00:00:00", "2016-11-01 00:00:00");
    station.addDelivery(14, 9, "2016-11-02 23:59:59.997", std::nullopt);
    station.addDelivery(3, 100, "2016-11-02 12:00:00", std::nullopt);  // every type
    station.addDelivery(6, 11, "2016-10-31 23:59:59.997", "2016-11-01 08:00:00");
    station.addDelivery(6, 12, "2016-11-03 00:00:00", "2016-11-03 00:00:00");
    auto orphan = testing::TestStation::delivery(6, 13, "2016-11-02 08:00:00");
    orphan.pump.reset();
    orphan.hose.reset();
    orphan.hoseId = 99;
    station.addDelivery(orphan);

    ResultTable t = query(*controller, texts::deliveriesCompleted("01-Nov-2016", "03-Nov-2016"));
    EXPECT_EQ(column(t, 0), (Values{"9", "10", "13", "100"}));
    ASSERT_EQ(t.columns.back().name, "S_Hose_ID");
    EXPECT_EQ(t.columns[t.columns.size() - 2].name, "Pump_ID");
    EXPECT_EQ(column(t, t.columns.size() - 1), (Values{"1", "1", "NULL", "1"}));
    // Its columns are those of the imports' selections.
    const ResultTable live = query(*controller, texts::live("11", "2016"));
    ASSERT_EQ(t.columns.size(), live.columns.size());
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        EXPECT_EQ(t.columns[i].name, live.columns[i].name);
        EXPECT_EQ(t.columns[i].type, live.columns[i].type);
    }
    // Literals convert as the server converts them; a time of day bounds within the day.
    EXPECT_EQ(column(query(*controller, texts::deliveriesCompleted("2016-11-02 08:00", "Nov 2 2016 12:00PM")), 0),
              Values{"13"});
    expectError(failureOf([&] { query(*controller, texts::deliveriesCompleted("01-Nov-2016", "32-Nov-2016")); }),
                "22008", 242,
                "The conversion of a varchar data type to a datetime data type resulted in an out-of-range value.");
}

TEST_F(ReconciliationReadsTest, ReadingsBeforeGiveEachHosesLastDeliveryBeforeTheMoment) {
    addMeteredDelivery(1, 1, "2016-10-30 10:00:00", "100.000");
    addMeteredDelivery(2, 1, "2016-10-31 23:59:59.997", "120.000");
    addMeteredDelivery(3, 1, "2016-11-01 00:00:00", "140.000");  // not before
    addMeteredDelivery(4, 2, "2016-10-02 10:00:00", "500.000");
    addMeteredDelivery(5, 3, "2016-11-05 10:00:00", "900.000");  // nothing before on hose 3

    ResultTable t = query(*controller, texts::readingsBefore("01-Nov-2016"));
    ASSERT_EQ(t.columns.size(), 7u);
    EXPECT_EQ(t.columns[0].name, "Hose_ID");
    EXPECT_EQ(t.columns[5].name, "Hose_Meter_Volume");
    EXPECT_EQ(t.columns[5].type, SqlType::Decimal);
    EXPECT_EQ(t.columns[5].scale, 3);
    std::vector<std::string> found;
    for (const Row& row : t.rows) found.push_back(*row[0] + ":" + *row[1] + ":" + *row[5]);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Values{"1:2:120.000", "2:4:500.000"}));
    EXPECT_EQ(t.rows.front()[2].value_or("").size(), 23u);  // the datetime's own form
}

TEST_F(ReconciliationReadsTest, DailySalesOfASpanWithTheirDeliveryAndVoucher) {
    addSale("INV/C9/011116/1", "2016-11-01 00:00:00", 7);
    addSale("INV/C9/301116/1", "2016-11-30 23:59:59.997", std::nullopt);
    addSale("INV/C9/311016/1", "2016-10-31 23:59:59.997", 8);
    addSale("INV/C9/011216/1", "2016-12-01 00:00:00", 9);
    ResultTable t = query(*sales, texts::dailySales("01-Nov-2016", "01-Dec-2016"));
    ASSERT_EQ(t.columns.size(), 3u);
    EXPECT_EQ(t.columns[0].type, SqlType::Int);
    EXPECT_TRUE(t.columns[0].nullable);
    EXPECT_EQ(t.columns[1].type, SqlType::DateTime);
    EXPECT_EQ(t.columns[2].type, SqlType::VarChar);
    EXPECT_EQ(column(t, 0), (Values{"7", "NULL"}));
    EXPECT_EQ(column(t, 1), (Values{"2016-11-01 00:00:00.000", "2016-11-30 23:59:59.997"}));
    EXPECT_EQ(column(t, 2), (Values{"INV/C9/011116/1", "INV/C9/301116/1"}));
}

TEST_F(ReconciliationReadsTest, HoseFuelTypesListTheWholeHoseMasterNullCodesIncluded) {
    station.setHoseFuel(2, 3, std::nullopt);
    ResultTable t = query(*sales, texts::hoseFuelTypes);
    ASSERT_EQ(t.rows.size(), 12u);
    EXPECT_EQ(t.columns[2].name, "fueltypecode");
    std::size_t nulls = 0;
    for (const Row& row : t.rows) {
        if (!row[2]) {
            ++nulls;
            EXPECT_EQ(row[0], "2");
            EXPECT_EQ(row[1], "3");
        }
    }
    EXPECT_EQ(nulls, 1u);
}

TEST_F(ReconciliationReadsTest, LastSaleIsTheLatestDateOneNullRowWithoutAny) {
    ResultTable t = query(*sales, texts::lastSale);
    ASSERT_EQ(t.columns.size(), 1u);
    EXPECT_EQ(t.columns[0].name, "Last_S_Date");
    EXPECT_EQ(t.columns[0].type, SqlType::DateTime);
    EXPECT_EQ(column(t, 0), (Values{"NULL"}));

    addSale("INV/C9/251116/1", "2016-11-25 09:00:00", 7);
    addSale("INV/C9/251116/2", "2016-11-25 17:40:00.5", 8);  // stored without the server's own form
    station.sql("torvane", "INSERT INTO D17_DailySale (VocNo, S_Date, Delivery_ID) VALUES ('x', NULL, 9)");
    addSale("INV/C9/241116/1", "2016-11-24 23:59:59.997", 6);
    t = query(*sales, texts::lastSale);
    EXPECT_EQ(column(t, 0), (Values{"2016-11-25 17:40:00.500"}));
}

TEST_F(ReconciliationReadsTest, EachReadsItsOwnDatabaseAndNoVariantOfIt) {
    expectError(failureOf([&] { query(*controller, texts::dailySales("01-Nov-2016", "01-Dec-2016")); }), "42S02",
                208, "Invalid object name 'D17_DailySale'.");
    expectError(failureOf([&] { query(*controller, texts::hoseFuelTypes); }), "42S02", 208,
                "Invalid object name 'D10_Hose'.");
    expectError(failureOf([&] { query(*sales, texts::readingsBefore("01-Nov-2016")); }), "42S02", 208,
                "Invalid object name 'Hose_Delivery'.");
    expectError(failureOf([&] { query(*controller, texts::lastSale); }), "42S02", 208,
                "Invalid object name 'D17_DailySale'.");
    for (const std::string& variant :
         {std::string("select Delivery_ID,S_Date,VocNo from D17_DailySale where S_Date>='01-Nov-2016'"),
          texts::dailySales("01-Nov-2016", "01-Dec-2016") + " order by S_Date",
          std::string("select pump_no,hose_number,fueltypecode,tank_no from D10_Hose"),
          std::string("select max(S_Date) from D17_DailySale")}) {
        EXPECT_EQ(failureOf([&] { query(*sales, variant); }).nativeError, 102) << variant;
    }
}

}  // namespace
}  // namespace vantrok::sim
