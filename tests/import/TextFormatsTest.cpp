#include <gtest/gtest.h>

#include "db/Decimal.h"
#include "import/DailySaleWrite.h"
#include "import/DateText.h"
#include "import/NumberText.h"
#include "import/ValueError.h"
#include "import/ValueText.h"

namespace vantrok {
namespace {

db::Value decimal(const char* text) { return db::Decimal::parse(text); }

TEST(DateText, FormatsWithEnglishMonthsAndTwoDigitFields) {
    EXPECT_EQ(dateTimeText({2016, 11, 25, 17, 42, 30, 0}), "25-Nov-2016 17:42:30");
    EXPECT_EQ(dateTimeText({2016, 2, 3, 8, 5, 9, 0}), "03-Feb-2016 08:05:09");
    EXPECT_EQ(dateTimeText({2016, 2, 29, 0, 0, 0, 500}), "29-Feb-2016 00:00:00");
    EXPECT_EQ(dateText({2017, 1, 3, 23, 59, 59, 0}), "03-Jan-2017");
}

TEST(DateText, ReadsBackWhatItWritesForEveryMonth) {
    for (int month = 1; month <= 12; ++month) {
        const db::DateTime moment{2016, month, 28, 23, 59, 59, 0};
        EXPECT_EQ(parseDateTimeText(dateTimeText(moment)), moment) << month;
    }
}

TEST(DateText, ReadsLenientFormsAsDates) {
    EXPECT_EQ(parseDateTimeText("5-mar-2016"), (db::DateTime{2016, 3, 5, 0, 0, 0, 0}));
    EXPECT_EQ(parseDateTimeText("25-NOV-2016 7:42"), (db::DateTime{2016, 11, 25, 7, 42, 0, 0}));
    EXPECT_EQ(parseDateTimeText("29-Feb-2016 12:00:00"), (db::DateTime{2016, 2, 29, 12, 0, 0, 0}));
}

TEST(DateText, RefusesWhatIsNoDate) {
    for (const char* text : {"", "INV", "29-Feb-2017", "29-Feb-1900", "31-Apr-2016",
                             "00-Jan-2016", "25-Nov-2016 24:00:00", "25-Nov-2016 17:60:00",
                             "25-Nov-2016 17;42;30", "25-Nov-2016 17:42:30 ", "25-Nvm-2016",
                             "25/11/2016"}) {
        EXPECT_THROW(parseDateTimeText(text), ValueError) << text;
    }
}

TEST(NumberText, HasNoGroupingAndPadsOnlyWhenAsked) {
    EXPECT_EQ(decimalText(2016), "2016");
    EXPECT_EQ(decimalText(-12345678), "-12345678");
    EXPECT_EQ(paddedText(5, 2), "05");
    EXPECT_EQ(paddedText(25, 2), "25");
    EXPECT_EQ(paddedText(99, 4), "0099");
    EXPECT_EQ(paddedText(123, 2), "123");
}

TEST(Gallons, AreTheVolumeOverTheFactorWithFourDecimals) {
    const double factor = 4.546;
    EXPECT_EQ(gallonsText(decimal("45.46"), factor), db::Value(std::string("10.0000")));
    EXPECT_EQ(gallonsText(decimal("45.460"), factor), db::Value(std::string("10.0000")));
    EXPECT_EQ(gallonsText(decimal("20"), factor), db::Value(std::string("4.3995")));
    EXPECT_EQ(gallonsText(decimal("50.000"), factor), db::Value(std::string("10.9987")));
    EXPECT_EQ(gallonsText(decimal("0"), factor), db::Value(std::string("0.0000")));
    EXPECT_EQ(gallonsText(db::Value(std::int64_t{20}), factor), db::Value(std::string("4.3995")));
    EXPECT_EQ(gallonsText(decimal("123456.789"), factor), db::Value(std::string("27157.2347")));
    EXPECT_EQ(gallonsText(db::Null{}, factor), db::Value(db::Null{}));
}

TEST(OfflineUnitPrice, RoundsTheExactQuotientHalvesToEven) {
    EXPECT_EQ(offlineUnitPrice(decimal("2500"), decimal("20")), 125);
    EXPECT_EQ(offlineUnitPrice(decimal("1100.00"), decimal("400.000")), 3);
    EXPECT_EQ(offlineUnitPrice(decimal("1000"), decimal("400")), 2);
    EXPECT_EQ(offlineUnitPrice(decimal("3000"), decimal("400")), 8);
    // Binary floating point puts 0.3 / 0.2 just below 1.5 and 0.7 / 0.2 just below 3.5.
    EXPECT_EQ(offlineUnitPrice(decimal("0.30"), decimal("0.200")), 2);
    EXPECT_EQ(offlineUnitPrice(decimal("0.7"), decimal("0.2")), 4);
    EXPECT_EQ(offlineUnitPrice(db::Value(std::int64_t{2500}), decimal("20.00")), 125);
}

TEST(OfflineUnitPrice, FailsWhereNoWholeNumberCanBeWritten) {
    EXPECT_THROW(offlineUnitPrice(decimal("10"), decimal("0.000")), std::domain_error);
    EXPECT_THROW(offlineUnitPrice(db::Null{}, decimal("20")), ValueError);
    EXPECT_THROW(offlineUnitPrice(decimal("10"), db::Null{}), ValueError);
    EXPECT_THROW(offlineUnitPrice(decimal("2147483648"), decimal("1")), std::overflow_error);
    EXPECT_EQ(offlineUnitPrice(decimal("2147483647"), decimal("1")), 2147483647);
}

TEST(ValueText, ConvertsNumbersAndTextButNotNull) {
    EXPECT_EQ(valueText(db::Value(std::int64_t{3}), "Pump_ID"), "3");
    EXPECT_EQ(valueText(decimal("12"), "Pump_ID"), "12");
    EXPECT_EQ(valueText(db::Value(std::string("PMS")), "fueltypecode"), "PMS");
    EXPECT_EQ(valueText(db::Value(std::string()), "fueltypecode"), "");
    EXPECT_THROW(valueText(db::Null{}, "fueltypecode"), ValueError);
    EXPECT_THROW(valueDateTime(db::Null{}, "Completed_TS"), ValueError);
    EXPECT_THROW(valueDecimal(db::Value(std::string("lots")), "Delivery_Volume"), ValueError);
    EXPECT_EQ(valueDecimal(db::Value(0.1), "Delivery_Volume"), db::Decimal::parse("0.1"));
}

}  // namespace
}  // namespace vantrok
