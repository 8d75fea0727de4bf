#include "tests/sim/EngineTest.h"
#include "tests/sim/StatementTexts.h"

namespace vantrok::sim {
namespace {

using T = SqlType;

// One write's 24 values, bound with the types the procedure declares.
std::vector<ParamValue> typicalWrite() {
    return {{"INV/C9/251116/4", T::VarChar}, {"2016-11-25 17:42:30.005", T::DateTime}, {"", T::VarChar},
            {"PUL", T::VarChar},             {"3", T::Int},                            {"Admin", T::VarChar},
            {"1", T::VarChar},               {"7", T::VarChar},                        {"9", T::VarChar},
            {"10.0000", T::Decimal},         {"125", T::Decimal},                      {"66.33", T::Decimal},
            {"0", T::Decimal},               {"0", T::Decimal},                        {"", T::VarChar},
            {"45.46", T::Decimal},           {"1234", T::Int},                         {"2", T::Int},
            {"1045.460", T::Decimal},        {"1066.33", T::Decimal},                  {"0", T::Int},
            {"0", T::Int},                   {"0", T::Int},                            {"0", T::Int}};
}

class DailySaleProcedureTest : public EngineTest {
protected:
    void SetUp() override { sales = connect("torvane"); }

    ReadThrough write(std::vector<ParamValue> values, bool withReturnValue = true) {
        if (withReturnValue) values.insert(values.begin(), ParamValue{std::nullopt, T::Int});
        return readThrough(sales->execute(texts::dailySaleCall(withReturnValue), values, std::chrono::seconds(30)));
    }

    // Writes the typical values with one position replaced; returns the stored value.
    Cell storedWith(std::size_t position, ParamValue value, const std::string& column) {
        auto values = typicalWrite();
        values[position - 1] = std::move(value);
        station.sql("torvane", "DELETE FROM D17_DailySale");
        write(values);
        return station.sales().back().at(column);
    }

    SimError failureWith(std::size_t position, ParamValue value) {
        auto values = typicalWrite();
        values[position - 1] = std::move(value);
        return failureOf([&] { write(values); });
    }

    std::unique_ptr<Session> sales;
};

TEST_F(DailySaleProcedureTest, StoresOneSaleWithEveryValueInItsDeclaredType) {
    ReadThrough outcome = write(typicalWrite());
    EXPECT_EQ(outcome.returnValue, 0);
    // Without SET NOCOUNT ON: the update's count of 0, then the insert's.
    ASSERT_EQ(outcome.results.size(), 2u);
    EXPECT_EQ(outcome.results[0].rowCount, 0);
    EXPECT_EQ(outcome.results[1].rowCount, 1);
    EXPECT_FALSE(outcome.results[0].table || outcome.results[1].table);
    // The same voucher again is an update of its sale, the one result.
    ReadThrough again = write(typicalWrite(), false);
    ASSERT_EQ(again.results.size(), 1u);
    EXPECT_EQ(again.results[0].rowCount, 1);
    auto sales = station.sales();
    ASSERT_EQ(sales.size(), 1u);
    const testing::SaleRow& sale = sales[0];
    EXPECT_EQ(sale.at("VocNo"), "INV/C9/251116/4");
    EXPECT_EQ(sale.at("S_Date"), "2016-11-25 17:42:30.007");
    EXPECT_EQ(sale.at("CustCode"), "");
    EXPECT_EQ(sale.at("FuelTypeCode"), "PUL");
    EXPECT_EQ(sale.at("Pump_No"), "3");
    EXPECT_EQ(sale.at("SaleType"), "7");
    EXPECT_EQ(sale.at("Qty_Gallons"), "10.0000");
    EXPECT_EQ(sale.at("Rate"), "125.000");
    EXPECT_EQ(sale.at("Amount"), "66.33");
    EXPECT_EQ(sale.at("Discount"), "0.00");
    EXPECT_EQ(sale.at("Qty_Litres"), "45.460");
    EXPECT_EQ(sale.at("Delivery_ID"), "1234");
    EXPECT_EQ(sale.at("Hose_No"), "2");
    EXPECT_EQ(sale.at("Meter_Volume"), "1045.460");
    EXPECT_EQ(sale.at("Exported"), "0");
}

TEST_F(DailySaleProcedureTest, ConvertsValuesAsTheServerDoes) {
    EXPECT_EQ(storedWith(10, {"4.39952", T::VarChar}, "Qty_Gallons"), "4.3995");
    EXPECT_EQ(storedWith(10, {"10.99865", T::Decimal}, "Qty_Gallons"), "10.9987");
    EXPECT_EQ(storedWith(11, {"2.5", T::Decimal}, "Rate"), "2.500");
    EXPECT_EQ(storedWith(17, {" 77 ", T::VarChar}, "Delivery_ID"), "77");
    EXPECT_EQ(storedWith(17, {"", T::VarChar}, "Delivery_ID"), "0");
    EXPECT_EQ(storedWith(17, {"12.9", T::Decimal}, "Delivery_ID"), "12");
    EXPECT_EQ(storedWith(2, {"25-Nov-2016 17:42:30", T::VarChar}, "S_Date"), "2016-11-25 17:42:30.000");
    EXPECT_EQ(storedWith(1, {"2016-02-03 08:05:09", T::DateTime}, "VocNo"), "Feb  3 2016  8:05AM");
    EXPECT_EQ(storedWith(5, {std::nullopt, T::Int}, "Pump_No"), std::nullopt);
    EXPECT_EQ(storedWith(4, {std::string(60, 'x'), T::VarChar}, "FuelTypeCode"), std::string(10, 'x'));
}

TEST_F(DailySaleProcedureTest, RefusesValuesThatDoNotConvert) {
    expectError(failureWith(5, {"three", T::VarChar}), "42000", 8114, "Error converting data type varchar to int.");
    expectError(failureWith(12, {"", T::VarChar}), "42000", 8114, "Error converting data type varchar to numeric.");
    expectError(failureWith(2, {"25-Nov-2016 17;42;30", T::VarChar}), "42000", 8114,
                "Error converting data type varchar to datetime.");
    expectError(failureWith(12, {"12345678901234567", T::Decimal}), "22003", 8115,
                "Arithmetic overflow error converting numeric to data type numeric.");
    expectError(failureWith(17, {"2147483648", T::Decimal}), "22003", 8115,
                "Arithmetic overflow error converting numeric to data type int.");
    expectError(failureWith(11, {"2016-11-25 17:42:30", T::DateTime}), "42000", 257,
                "Implicit conversion from data type datetime to numeric is not allowed. Use the CONVERT function "
                "to run this query.");
    EXPECT_EQ(failureWith(16, {"1,5", T::Decimal}).sqlstate, "22018");
    EXPECT_TRUE(station.sales().empty());
}

TEST_F(DailySaleProcedureTest, WantsExactlyItsParameters) {
    auto values = typicalWrite();
    values.pop_back();
    std::string call = "{call INS_UPD_D17_DailySale1(?";
    for (int i = 1; i < 23; ++i) call += ",?";
    expectError(failureOf([&] { sales->execute(call + ")}", values, std::chrono::seconds(30)); }), "42000", 201,
                "Procedure or function 'INS_UPD_D17_DailySale1' expects parameter '@Exported', which was not supplied.");
    values = typicalWrite();
    values.push_back({"0", T::Int});
    expectError(failureOf([&] { sales->execute(call + ",?,?)}", values, std::chrono::seconds(30)); }), "42000", 8144,
                "Procedure or function INS_UPD_D17_DailySale1 has too many arguments specified.");
    auto controller = connect("enablerdb");
    expectError(failureOf([&] {
                    controller->execute(texts::dailySaleCall(false), typicalWrite(), std::chrono::seconds(30));
                }),
                "42000", 2812, "Could not find stored procedure 'INS_UPD_D17_DailySale1'.");
    EXPECT_TRUE(station.sales().empty());
}

TEST_F(DailySaleProcedureTest, DescribesItsParametersWithTheReturnValueFirst) {
    ResultTable t = sales->procedureColumns("INS_UPD_D17_DailySale1");
    ASSERT_EQ(t.columns.size(), 19u);
    EXPECT_EQ(t.columns[3].name, "COLUMN_NAME");
    EXPECT_EQ(t.columns[18].name, "IS_NULLABLE");
    ASSERT_EQ(t.rows.size(), 25u);
    EXPECT_EQ(t.rows[0][3], "@RETURN_VALUE");
    EXPECT_EQ(t.rows[0][4], "5");
    // DATA_TYPE, COLUMN_SIZE and DECIMAL_DIGITS of positions 1 to 24.
    const char* declared[] = {"12", "93/23/3", "12", "12", "4/10/0", "12",     "12",     "12",
                              "12", "3/18/4",  "3/18/3", "3/18/2", "3/18/2", "3/18/2", "12",     "3/18/3",
                              "4/10/0", "4/10/0", "3/18/3", "3/18/2", "4/10/0", "4/10/0", "4/10/0", "4/10/0"};
    for (std::size_t i = 1; i <= 24; ++i) {
        const Row& row = t.rows[i];
        std::string type = *row[5];
        if (type != "12") type += "/" + *row[7] + "/" + *row[9];
        EXPECT_EQ(type, declared[i - 1]) << "position " << i;
        EXPECT_EQ(row[4], "1");
        EXPECT_EQ(row[17], std::to_string(i));
    }
    EXPECT_TRUE(sales->procedureColumns("NO_SUCH_PROCEDURE").rows.empty());
    EXPECT_EQ(sales->procedureColumns("ins_upd_d17_dailysale%").rows.size(), 25u);
    EXPECT_TRUE(connect("enablerdb")->procedureColumns("INS_UPD_D17_DailySale1").rows.empty());
}

}  // namespace
}  // namespace vantrok::sim
