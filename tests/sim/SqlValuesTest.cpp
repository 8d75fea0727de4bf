#include <gtest/gtest.h>

#include "sim/engine/SqlDateTime.h"
#include "sim/engine/SqlDecimal.h"
#include "sim/engine/SqlInt.h"

namespace vantrok::sim {
namespace {

TEST(SqlInt, ConvertsVarcharAsTheServerDoes) {
    std::int32_t v = -1;
    EXPECT_EQ(parseSqlInt(" 12 ", v), IntParse::Ok);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(parseSqlInt("+007", v), IntParse::Ok);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(parseSqlInt("", v), IntParse::Ok);  // blank and a lone sign are 0
    EXPECT_EQ(v, 0);
    EXPECT_EQ(parseSqlInt("-", v), IntParse::Ok);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(parseSqlInt("-2147483648", v), IntParse::Ok);
    EXPECT_EQ(v, -2147483647 - 1);
    EXPECT_EQ(parseSqlInt("1.0", v), IntParse::Invalid);
    EXPECT_EQ(parseSqlInt("C9", v), IntParse::Invalid);
    EXPECT_EQ(parseSqlInt("1 2", v), IntParse::Invalid);
    EXPECT_EQ(parseSqlInt("2147483648", v), IntParse::Overflow);
    EXPECT_EQ(parseSqlInt("99999999999999999999999", v), IntParse::Overflow);
}

std::string fitted(const char* text, int precision, int scale) {
    auto d = SqlDecimal::parse(text);
    if (!d) return "unparsed";
    auto f = d->fitTo(precision, scale);
    return f ? f->toString() : "overflow";
}

TEST(SqlDecimal, KeepsDigitsExactlyAndRoundsHalfAwayFromZero) {
    EXPECT_EQ(fitted("45.46", 18, 3), "45.460");
    EXPECT_EQ(fitted(" 12.34567 ", 18, 4), "12.3457");
    EXPECT_EQ(fitted("2.00005", 18, 4), "2.0001");
    EXPECT_EQ(fitted("-2.00005", 18, 4), "-2.0001");
    EXPECT_EQ(fitted("9.9995", 5, 3), "10.000");
    EXPECT_EQ(fitted("99.9995", 5, 3), "overflow");
    EXPECT_EQ(fitted("-0.0001", 18, 3), "0.000");
    EXPECT_EQ(fitted(".5", 18, 2), "0.50");
    EXPECT_EQ(fitted("123456789012345.678", 18, 3), "123456789012345.678");
    for (const char* bad : {"", ".", "1e3", "1,5", "--1", "abc"}) EXPECT_EQ(fitted(bad, 18, 2), "unparsed") << bad;
}

TEST(SqlDecimal, ConvertsToIntByTruncation) {
    EXPECT_EQ(SqlDecimal::parse("2.7")->toInt32(), 2);
    EXPECT_EQ(SqlDecimal::parse("-2.7")->toInt32(), -2);
    EXPECT_EQ(SqlDecimal::parse("2147483648")->toInt32(), std::nullopt);
    EXPECT_EQ(SqlDecimal::parse("12.345")->scaled(2), 1235);
    EXPECT_EQ(SqlDecimal::fromScaled(-5, 3).toString(), "-0.005");
}

std::string timestamp(const char* text) {
    SqlDateTime t;
    DateParse r = parseTimestampText(text, t);
    return r == DateParse::Ok ? t.toText() : r == DateParse::Invalid ? "invalid" : "out of range";
}

TEST(SqlDateTime, RoundsToThreeHundredthsOfASecond) {
    EXPECT_EQ(timestamp("2016-11-25 17:42:30.001"), "2016-11-25 17:42:30.000");
    EXPECT_EQ(timestamp("2016-11-25 17:42:30.002"), "2016-11-25 17:42:30.003");
    EXPECT_EQ(timestamp("2016-11-25 17:42:30.005"), "2016-11-25 17:42:30.007");
    EXPECT_EQ(timestamp("2016-11-25 17:42:30.009"), "2016-11-25 17:42:30.010");
    EXPECT_EQ(timestamp("2016-12-31 23:59:59.999"), "2017-01-01 00:00:00.000");
    EXPECT_EQ(timestamp("2016-11-25 17:42:30.123456789"), "2016-11-25 17:42:30.123");
    EXPECT_EQ(timestamp("2016-11-25"), "2016-11-25 00:00:00.000");
    EXPECT_EQ(timestamp("2016-02-30 00:00:00"), "out of range");
    EXPECT_EQ(timestamp("1752-12-31 00:00:00"), "out of range");
    EXPECT_EQ(timestamp("2016-11-25 24:00:00"), "invalid");
    EXPECT_EQ(timestamp("25-11-2016"), "invalid");
}

std::string varchar(const char* text) {
    SqlDateTime t;
    DateParse r = parseDateTimeVarchar(text, t);
    return r == DateParse::Ok ? t.toText() : r == DateParse::Invalid ? "invalid" : "out of range";
}

TEST(SqlDateTime, ReadsTextAsUsEnglishDoes) {
    EXPECT_EQ(varchar("25-Nov-2016"), "2016-11-25 00:00:00.000");
    EXPECT_EQ(varchar("03-feb-2016"), "2016-02-03 00:00:00.000");
    EXPECT_EQ(varchar("25-November-2016 17:42:30"), "2016-11-25 17:42:30.000");
    EXPECT_EQ(varchar("Nov 25 2016  5:42PM"), "2016-11-25 17:42:00.000");
    EXPECT_EQ(varchar("2016-11-25T17:42:30.005"), "2016-11-25 17:42:30.007");
    EXPECT_EQ(varchar("20161125"), "2016-11-25 00:00:00.000");
    EXPECT_EQ(varchar("11/25/2016"), "2016-11-25 00:00:00.000");  // month first under us_english
    EXPECT_EQ(varchar("25-Nov-16"), "2016-11-25 00:00:00.000");
    EXPECT_EQ(varchar("25-Nov-50"), "1950-11-25 00:00:00.000");
    EXPECT_EQ(varchar(""), "1900-01-01 00:00:00.000");
    EXPECT_EQ(varchar("12:30 AM"), "1900-01-01 00:30:00.000");
    EXPECT_EQ(varchar("30-Feb-2016"), "out of range");
    EXPECT_EQ(varchar("25/11/2016"), "out of range");
    EXPECT_EQ(varchar("25-Xyz-2016"), "invalid");
    EXPECT_EQ(varchar("25-Nov-2016 17;42;30"), "invalid");
    EXPECT_EQ(varchar("2016-11-25 17:42:30.1234"), "invalid");
}

TEST(SqlDateTime, WritesVarcharInTheDefaultStyle) {
    SqlDateTime t;
    ASSERT_EQ(parseTimestampText("2016-02-03 08:05:09", t), DateParse::Ok);
    EXPECT_EQ(t.toVarchar(), "Feb  3 2016  8:05AM");
    ASSERT_EQ(parseTimestampText("2016-11-25 12:42:30", t), DateParse::Ok);
    EXPECT_EQ(t.toVarchar(), "Nov 25 2016 12:42PM");
    EXPECT_EQ(SqlDateTime::fromDays(1)->toText(), "1900-01-02 00:00:00.000");
}

TEST(StoredRanges, CoverExactlyOneMonthOrDay) {
    auto nov = monthRange(2016, 11);
    ASSERT_TRUE(nov);
    EXPECT_LE(nov->first, "2016-11-01 00:00:00.000");
    EXPECT_GT(nov->last, "2016-11-30 23:59:59.997");
    EXPECT_LE(nov->last, "2016-12-01 00:00:00.000");
    EXPECT_GT(nov->first, "2016-10-31 23:59:59.997");
    auto day = dayRange(2016, 2, 29);
    ASSERT_TRUE(day);
    EXPECT_GT(day->last, "2016-02-29 23:59:59.997");
    EXPECT_LE(day->last, "2016-03-01 00:00:00.000");
    EXPECT_FALSE(monthRange(2016, 13));
    EXPECT_FALSE(dayRange(2017, 2, 29));
    EXPECT_FALSE(monthRange(10000, 1));
}

}  // namespace
}  // namespace vantrok::sim
