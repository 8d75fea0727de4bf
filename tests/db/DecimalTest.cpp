#include "db/Decimal.h"

#include <gtest/gtest.h>

#include <stdexcept>

using vantrok::db::Decimal;

namespace {

std::int32_t divide(const char* value, const char* divisor) {
    return Decimal::divideRoundHalfEven(Decimal::parse(value), Decimal::parse(divisor));
}

TEST(Decimal, KeepsEveryDigitAndTheScaleItWasGiven) {
    const struct {
        const char* text;
        const char* canonical;
        int scale;
    } cases[] = {
        {"45.460", "45.460", 3},
        {"0.0000", "0.0000", 4},
        {"-12.50", "-12.50", 2},
        {"+7", "7", 0},
        {"007.10", "7.10", 2},
        {".50", "0.50", 2},   // how some drivers write values below one
        {"-.5", "-0.5", 1},
        {"5.", "5", 0},
        {"-0.00", "0.00", 2},  // no negative zero
        {"12345678901234567890123456789.123456789", "12345678901234567890123456789.123456789", 9},
    };
    for (const auto& c : cases) {
        const Decimal d = Decimal::parse(c.text);
        EXPECT_EQ(d.toString(), c.canonical) << c.text;
        EXPECT_EQ(d.scale(), c.scale) << c.text;
    }
    EXPECT_TRUE(Decimal::parse("-0.000").isZero());
    EXPECT_FALSE(Decimal::parse("0.001").isZero());
    EXPECT_EQ(Decimal().toString(), "0");
}

TEST(Decimal, RefusesTextThatIsNotADecimalNumber) {
    for (const char* text : {"", "-", "+", ".", "-.", "1.2.3", "1e5", " 1", "1 ", "1,5", "abc", "--1", "0x10"}) {
        EXPECT_THROW(Decimal::parse(text), std::invalid_argument) << '"' << text << '"';
    }
}

TEST(Decimal, DividesToTheNearestWholeNumberWithHalvesToEven) {
    EXPECT_EQ(divide("2500", "20"), 125);
    EXPECT_EQ(divide("1100", "400"), 3);  // 2.75
    EXPECT_EQ(divide("1000", "400"), 2);  // 2.5
    EXPECT_EQ(divide("3000", "400"), 8);  // 7.5
    EXPECT_EQ(divide("0.3", "0.2"), 2);   // 1.5, which a double would not hold exactly
    EXPECT_EQ(divide("0.7", "0.2"), 4);   // 3.5
    EXPECT_EQ(divide("0.5", "1"), 0);
    EXPECT_EQ(divide("2.5000001", "1"), 3);  // just above a half
    EXPECT_EQ(divide("1234.560", "45.460"), 27);
    EXPECT_EQ(divide("-2.5", "1"), -2);
    EXPECT_EQ(divide("-3.5", "1"), -4);
    EXPECT_EQ(divide("7", "-2"), -4);
    EXPECT_EQ(divide("-7", "-2"), 4);
    EXPECT_EQ(divide("0", "45.46"), 0);
    EXPECT_EQ(divide("100000000000000000000000000000", "100000000000000000000000"), 1000000);
}

TEST(Decimal, DivisionRefusesZeroAndQuotientsBeyond32Bits) {
    EXPECT_THROW(divide("1", "0"), std::domain_error);
    EXPECT_THROW(divide("1", "-0.000"), std::domain_error);
    EXPECT_EQ(divide("2147483647.4", "1"), 2147483647);
    EXPECT_THROW(divide("2147483647.5", "1"), std::overflow_error);
    EXPECT_EQ(divide("-2147483648.5", "1"), -2147483648);  // the half goes to the even neighbour
    EXPECT_THROW(divide("-2147483649", "1"), std::overflow_error);
    EXPECT_THROW(divide("1", "0.0000000001"), std::overflow_error);
}

TEST(Decimal, ConvertsToTheNearestDouble) {
    EXPECT_EQ(Decimal::parse("45.46").toDouble(), 45.46);
    EXPECT_EQ(Decimal::parse("-0.1").toDouble(), -0.1);
    EXPECT_EQ(Decimal::parse(".000").toDouble(), 0.0);
}

TEST(Decimal, AddsAndSubtractsExactlyAtTheGreaterScale) {
    const struct {
        const char* a;
        const char* b;
        const char* sum;
        const char* difference;
    } cases[] = {
        {"1234.567", "20.000", "1254.567", "1214.567"},
        {"0.1", "0.2", "0.3", "-0.1"},  // no binary approximation
        {"99.99", "0.01", "100.00", "99.98"},
        {"5", "0.005", "5.005", "4.995"},
        {"-3.50", "1.2", "-2.30", "-4.70"},
        {"-1.5", "-1.5", "-3.0", "0.0"},  // no negative zero
        {"0.05", "-0.05", "0.00", "0.10"},
        {"99999999999999999999.999", "0.001", "100000000000000000000.000", "99999999999999999999.998"},
    };
    for (const auto& c : cases) {
        const Decimal a = Decimal::parse(c.a), b = Decimal::parse(c.b);
        EXPECT_EQ((a + b).toString(), c.sum) << c.a << " + " << c.b;
        EXPECT_EQ((a - b).toString(), c.difference) << c.a << " - " << c.b;
    }
    EXPECT_EQ((-Decimal::parse("0.00")).toString(), "0.00");
    EXPECT_EQ((-Decimal::parse("2.5")).toString(), "-2.5");
}

}  // namespace
