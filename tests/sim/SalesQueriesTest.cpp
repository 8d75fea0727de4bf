#include "tests/sim/EngineTest.h"
#include "tests/sim/StatementTexts.h"

namespace vantrok::sim {
namespace {

class SalesQueriesTest : public EngineTest {
protected:
    void SetUp() override { sales = connect("torvane"); }

    std::string nextInvoice(const std::string& date) {
        ResultTable t = query(*sales, texts::invoice(date));
        if (t.rows.size() != 1 || t.rows[0].size() != 2) return "not one row of two";
        return t.rows[0][0].value_or("NULL") + "|" + t.rows[0][1].value_or("NULL");
    }

    std::vector<Cell> fuelCodes(const std::string& pump, const std::string& hose) {
        std::vector<Cell> codes;
        for (const Row& row : query(*sales, texts::fuelType(pump, hose)).rows) codes.push_back(row[0]);
        return codes;
    }

    std::unique_ptr<Session> sales;
};

TEST_F(SalesQueriesTest, InvoiceNumberFollowsTheGreatestNumberOfTheDay) {
    EXPECT_EQ(nextInvoice("25-Nov-2016"), "INV/C9/|1");
    addSale("INV/C9/251116/9", "2016-11-25 00:00:00", 1);
    addSale("INV/C9/251116/10", "2016-11-25 23:59:59.997", 2);
    addSale("INV/C9/241116/50", "2016-11-24 23:59:59.997", 3);  // another day
    addSale("INV/C8/251116/70", "2016-11-25 12:00:00", 4);      // another series
    addSale("CASH/251116/80", "2016-11-25 12:00:00", 5);
    EXPECT_EQ(nextInvoice("25-Nov-2016"), "INV/C9/|11");  // 10 is greater than 9
    EXPECT_EQ(nextInvoice("24-Nov-2016"), "INV/C9/|51");
    EXPECT_EQ(nextInvoice("26-Nov-2016"), "INV/C9/|1");
    // The default collation compares case-insensitively; a midnight is the whole day.
    addSale("inv/c9/251116/12", "2016-11-25 08:00:00", 6);
    EXPECT_EQ(nextInvoice("25-nov-2016"), "INV/C9/|13");
    EXPECT_EQ(nextInvoice("25-Nov-2016 00:00:01"), "INV/C9/|1");
    EXPECT_EQ(nextInvoice("2016-11-25"), "INV/C9/|13");
}

TEST_F(SalesQueriesTest, InvoiceNumberDescribesTwoUnnamedColumns) {
    ResultTable t = query(*sales, texts::invoice("03-Feb-2016"));
    ASSERT_EQ(t.columns.size(), 2u);
    EXPECT_EQ(t.columns[0].name, "");
    EXPECT_EQ(t.columns[0].type, SqlType::VarChar);
    EXPECT_EQ(t.columns[1].name, "");
    EXPECT_EQ(t.columns[1].type, SqlType::Int);
}

TEST_F(SalesQueriesTest, InvoiceNumberFailsOnVouchersWhoseTailIsNoWholeNumber) {
    addSale("INV/C9", "2016-11-25 10:00:00", 1);
    // "9C/VNI" reversed up to its first "/" is "9C": the tail is C9.
    expectError(failureOf([&] { nextInvoice("25-Nov-2016"); }), "22018", 245,
                "Conversion failed when converting the varchar value 'C9' to data type int.");
    EXPECT_EQ(nextInvoice("26-Nov-2016"), "INV/C9/|1");  // other days are unaffected
    station.sql("torvane", "DELETE FROM D17_DailySale");
    addSale("INV/C9/251116/4a", "2016-11-25 10:00:00", 1);
    expectError(failureOf([&] { nextInvoice("25-Nov-2016"); }), "22018", 245,
                "Conversion failed when converting the varchar value '4a' to data type int.");
    station.sql("torvane", "DELETE FROM D17_DailySale");
    addSale("INV/C9/251116/", "2016-11-25 10:00:00", 1);  // an empty tail converts to 0
    addSale("INV/C9/251116/ 3 ", "2016-11-25 10:00:00", 2);
    EXPECT_EQ(nextInvoice("25-Nov-2016"), "INV/C9/|4");
    addSale("INV/C9/251116/2147483647", "2016-11-25 10:00:00", 3);
    expectError(failureOf([&] { nextInvoice("25-Nov-2016"); }), "22003", 8115,
                "Arithmetic overflow error converting expression to data type int.");
}

TEST_F(SalesQueriesTest, InvoiceNumberNamesTheFirstWrittenOfSeveralBadVouchers) {
    addSale("INV/C9/251116/late", "2016-11-25 20:00:00", 1);
    addSale("INV/C9/251116/early", "2016-11-25 08:00:00", 2);
    for (int attempt = 0; attempt < 2; ++attempt)
        expectError(failureOf([&] { nextInvoice("25-Nov-2016"); }), "22018", 245,
                    "Conversion failed when converting the varchar value 'late' to data type int.");
}

TEST_F(SalesQueriesTest, InvoiceSeriesIsTheFirstSixCharactersOfTheVoucher) {
    addSale("INV/C9X/251116/30", "2016-11-25 10:00:00", 1);  // LEFT(VocNo,6) is INV/C9
    addSale("INV/C 9/251116/40", "2016-11-25 10:00:00", 2);  // LEFT(VocNo,6) is INV/C
    addSale("INV/C", "2016-11-25 10:00:00", 3);
    EXPECT_EQ(nextInvoice("25-Nov-2016"), "INV/C9/|31");
}

TEST_F(SalesQueriesTest, InvoiceDateThatIsNoDateFails) {
    expectError(failureOf([&] { nextInvoice("25-Nov-2016 17;42;30"); }), "22007", 241,
                "Conversion failed when converting date and/or time from character string.");
    expectError(failureOf([&] { nextInvoice("31-Nov-2016"); }), "22008", 242,
                "The conversion of a varchar data type to a datetime data type resulted in an out-of-range value.");
}

TEST_F(SalesQueriesTest, FuelTypeOfAPumpsHose) {
    EXPECT_EQ(fuelCodes("3", "2"), (std::vector<Cell>{"PUL"}));
    EXPECT_EQ(fuelCodes("3", "9"), std::vector<Cell>{});
    ResultTable t = query(*sales, texts::fuelType("3", "2"));
    ASSERT_EQ(t.columns.size(), 1u);
    EXPECT_EQ(t.columns[0].name, "fueltypecode");
    EXPECT_EQ(t.columns[0].type, SqlType::VarChar);

    station.setHoseFuel(3, 2, std::nullopt);
    EXPECT_EQ(fuelCodes("3", "2"), (std::vector<Cell>{std::nullopt}));
    // A code or tank without its own row still finds the hose; the first stored row comes first.
    station.sql("torvane", "INSERT INTO D10_Hose VALUES (3, 2, 'LPG', 77)");
    EXPECT_EQ(fuelCodes("03", "2"), (std::vector<Cell>{std::nullopt, "LPG"}));
}

TEST_F(SalesQueriesTest, FuelTypeArgumentsThatBreakTheStatement) {
    SimError quote = failureOf([&] { fuelCodes("3'", "2"); });
    EXPECT_EQ(quote.sqlstate, "42000");
    EXPECT_EQ(quote.nativeError, 102);
    expectError(failureOf([&] { fuelCodes("x", "2"); }), "22018", 245,
                "Conversion failed when converting the varchar value 'x' to data type int.");
}

}  // namespace
}  // namespace vantrok::sim
