#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sim/driver/CellConversion.h"

namespace vantrok::sim::driver {
namespace {

const ResultColumn intColumn{"n", SqlType::Int, 10, 0, true};
const ResultColumn decimalColumn{"d", SqlType::Decimal, 18, 3, true};
const ResultColumn dateTimeColumn{"t", SqlType::DateTime, 23, 3, true};
const ResultColumn textColumn{"s", SqlType::VarChar, 20, 0, true};

// One SQLGetData call into a fixed-size value.
template <class T>
struct Read {
    T value{};
    SQLLEN indicator = 0;
    SQLRETURN rc = SQL_ERROR;
    Diagnostics diagnostics;

    Read(const Cell& cell, const ResultColumn& column, SQLSMALLINT cType) {
        ReadState state;
        rc = readCell(cell, column, CellTarget{cType, &value, sizeof value, &indicator}, state,
                      diagnostics);
    }
    std::string warning() const {
        return diagnostics.empty() ? "" : diagnostics.records().front().sqlstate;
    }
};

std::string failure(const Cell& cell, const ResultColumn& column, SQLSMALLINT cType,
                    SQLLEN* indicator = nullptr) {
    char buffer[64];
    SQLLEN own = 0;
    ReadState state;
    Diagnostics diagnostics;
    try {
        readCell(cell, column, CellTarget{cType, buffer, sizeof buffer, indicator ? indicator : &own},
                 state, diagnostics);
    } catch (const DriverError& error) {
        return error.sqlstate();
    }
    return "no error";
}

TEST(CellConversion, TextComesOutInPiecesOverRepeatedCalls) {
    const Cell cell = std::string("INV/C9/25-NOV-16");  // 16 characters
    char buffer[7];
    SQLLEN indicator = 0;
    ReadState state;
    Diagnostics diagnostics;
    const CellTarget target{SQL_C_CHAR, buffer, sizeof buffer, &indicator};

    EXPECT_EQ(readCell(cell, textColumn, target, state, diagnostics), SQL_SUCCESS);
    EXPECT_STREQ(buffer, "INV/C9");
    EXPECT_EQ(indicator, 16);  // what was left before the call
    ASSERT_EQ(diagnostics.records().size(), 1u);
    EXPECT_EQ(diagnostics.records()[0].sqlstate, "01004");

    diagnostics.clear();
    readCell(cell, textColumn, target, state, diagnostics);
    EXPECT_STREQ(buffer, "/25-NO");
    EXPECT_EQ(indicator, 10);

    diagnostics.clear();
    readCell(cell, textColumn, target, state, diagnostics);
    EXPECT_STREQ(buffer, "V-16");
    EXPECT_EQ(indicator, 4);
    EXPECT_TRUE(diagnostics.empty());

    EXPECT_EQ(readCell(cell, textColumn, target, state, diagnostics), SQL_NO_DATA);
}

TEST(CellConversion, LengthOnlyAndEmptyText) {
    SQLLEN indicator = 0;
    ReadState state;
    Diagnostics diagnostics;
    readCell(Cell("45.460"), decimalColumn, CellTarget{SQL_C_CHAR, nullptr, 0, &indicator}, state,
             diagnostics);
    EXPECT_EQ(indicator, 6);
    EXPECT_FALSE(state.done);  // nothing was taken yet

    char buffer[4] = "xyz";
    ReadState emptyState;
    readCell(Cell(""), textColumn, CellTarget{SQL_C_CHAR, buffer, sizeof buffer, &indicator},
             emptyState, diagnostics);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(indicator, 0);
    EXPECT_TRUE(emptyState.done);
}

TEST(CellConversion, WideTextIsUtf16) {
    char16_t buffer[8] = {};
    SQLLEN indicator = 0;
    ReadState state;
    Diagnostics diagnostics;
    readCell(Cell("Gr\xC3\xBC\xC3\x9F"), textColumn,
             CellTarget{SQL_C_WCHAR, buffer, sizeof buffer, &indicator}, state, diagnostics);
    EXPECT_EQ(std::u16string(buffer), u"Gr\u00FC\u00DF");
    EXPECT_EQ(indicator, 8);
}

TEST(CellConversion, NullNeedsAnIndicator) {
    Read<SQLINTEGER> read(std::nullopt, intColumn, SQL_C_SLONG);
    EXPECT_EQ(read.rc, SQL_SUCCESS);
    EXPECT_EQ(read.indicator, SQL_NULL_DATA);

    char buffer[8];
    ReadState state;
    Diagnostics diagnostics;
    try {
        readCell(std::nullopt, textColumn, CellTarget{SQL_C_CHAR, buffer, sizeof buffer, nullptr},
                 state, diagnostics);
        FAIL() << "NULL without an indicator";
    } catch (const DriverError& error) {
        EXPECT_EQ(error.sqlstate(), "22002");
    }
}

TEST(CellConversion, IntegersTakeTheWholePartWithinTheirRange) {
    EXPECT_EQ(Read<SQLINTEGER>(Cell("-2147483648"), intColumn, SQL_C_SLONG).value, INT32_MIN);
    EXPECT_EQ(Read<SQLBIGINT>(Cell("9223372036854775807"), textColumn, SQL_C_SBIGINT).value,
              INT64_MAX);
    EXPECT_EQ(Read<SQLSMALLINT>(Cell(" 42 "), textColumn, SQL_C_SSHORT).value, 42);
    EXPECT_EQ(Read<SQLCHAR>(Cell("255"), intColumn, SQL_C_UTINYINT).value, 255);

    Read<SQLINTEGER> truncated(Cell("-45.460"), decimalColumn, SQL_C_LONG);
    EXPECT_EQ(truncated.value, -45);
    EXPECT_EQ(truncated.warning(), "01S07");
    EXPECT_EQ(Read<SQLINTEGER>(Cell("45.000"), decimalColumn, SQL_C_LONG).warning(), "");

    EXPECT_EQ(failure(Cell("2147483648"), intColumn, SQL_C_SLONG), "22003");
    EXPECT_EQ(failure(Cell("-1"), intColumn, SQL_C_ULONG), "22003");
    EXPECT_EQ(failure(Cell("256"), intColumn, SQL_C_UTINYINT), "22003");
    EXPECT_EQ(failure(Cell("99999999999999999999"), textColumn, SQL_C_UBIGINT), "22003");
    EXPECT_EQ(failure(Cell("12a"), textColumn, SQL_C_SLONG), "22018");
    EXPECT_EQ(failure(Cell("1e3"), textColumn, SQL_C_SLONG), "22018");
    EXPECT_EQ(failure(Cell("2016-11-25 17:42:30.000"), dateTimeColumn, SQL_C_SLONG), "07006");
}

TEST(CellConversion, FloatingPointAndBit) {
    EXPECT_DOUBLE_EQ(Read<double>(Cell("45.460"), decimalColumn, SQL_C_DOUBLE).value, 45.46);
    EXPECT_DOUBLE_EQ(Read<double>(Cell("1e3"), textColumn, SQL_C_DOUBLE).value, 1000.0);
    EXPECT_FLOAT_EQ(Read<float>(Cell("-0.5"), textColumn, SQL_C_FLOAT).value, -0.5f);
    EXPECT_EQ(failure(Cell("1e300"), textColumn, SQL_C_FLOAT), "22003");
    EXPECT_EQ(failure(Cell("abc"), textColumn, SQL_C_DOUBLE), "22018");

    EXPECT_EQ(Read<unsigned char>(Cell("1"), intColumn, SQL_C_BIT).value, 1);
    EXPECT_EQ(Read<unsigned char>(Cell("0"), intColumn, SQL_C_BIT).value, 0);
    EXPECT_EQ(Read<unsigned char>(Cell("1.500"), decimalColumn, SQL_C_BIT).warning(), "01S07");
    EXPECT_EQ(failure(Cell("2"), intColumn, SQL_C_BIT), "22003");
    EXPECT_EQ(failure(Cell("-1"), intColumn, SQL_C_BIT), "22003");
}

TEST(CellConversion, DateTimes) {
    Read<SQL_TIMESTAMP_STRUCT> stamp(Cell("2016-11-25 17:42:30.997"), dateTimeColumn,
                                     SQL_C_TYPE_TIMESTAMP);
    EXPECT_EQ(stamp.value.year, 2016);
    EXPECT_EQ(stamp.value.month, 11);
    EXPECT_EQ(stamp.value.day, 25);
    EXPECT_EQ(stamp.value.hour, 17);
    EXPECT_EQ(stamp.value.minute, 42);
    EXPECT_EQ(stamp.value.second, 30);
    EXPECT_EQ(stamp.value.fraction, 997000000u);
    EXPECT_EQ(stamp.indicator, static_cast<SQLLEN>(sizeof(SQL_TIMESTAMP_STRUCT)));

    // SQL_C_DEFAULT of a datetime column is a timestamp.
    EXPECT_EQ(Read<SQL_TIMESTAMP_STRUCT>(Cell("2017-01-03 00:00:00.000"), dateTimeColumn,
                                         SQL_C_DEFAULT).value.day, 3);

    Read<SQL_DATE_STRUCT> date(Cell("2016-02-29 08:00:00.000"), dateTimeColumn, SQL_C_TYPE_DATE);
    EXPECT_EQ(date.value.day, 29);
    EXPECT_EQ(date.warning(), "01S07");  // the time was dropped
    EXPECT_EQ(Read<SQL_TIME_STRUCT>(Cell("23:59:58"), textColumn, SQL_C_TYPE_TIME).value.second, 58);

    EXPECT_EQ(failure(Cell("2017-02-29 00:00:00"), textColumn, SQL_C_TYPE_TIMESTAMP), "22018");
    EXPECT_EQ(failure(Cell("25/11/2016"), textColumn, SQL_C_TYPE_TIMESTAMP), "22018");
    EXPECT_EQ(failure(Cell("42"), intColumn, SQL_C_TYPE_TIMESTAMP), "07006");
}

TEST(CellConversion, NumericStructKeepsTheExactDigits) {
    Read<SQL_NUMERIC_STRUCT> read(Cell("-1234.567"), decimalColumn, SQL_C_NUMERIC);
    EXPECT_EQ(read.value.precision, 18);
    EXPECT_EQ(read.value.scale, 3);
    EXPECT_EQ(read.value.sign, 0);
    EXPECT_EQ(read.value.val[0] | read.value.val[1] << 8 | read.value.val[2] << 16, 1234567);
    EXPECT_EQ(read.value.val[3], 0);

    Read<SQL_NUMERIC_STRUCT> large(Cell("18446744073709551616"), textColumn, SQL_C_NUMERIC);
    EXPECT_EQ(large.value.val[8], 1);  // 2^64
    EXPECT_EQ(large.value.val[0], 0);
    EXPECT_EQ(failure(Cell(std::string(39, '9')), textColumn, SQL_C_NUMERIC), "22003");
}

TEST(CellConversion, FixedSizeValuesAreDeliveredOnce) {
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    ReadState state;
    Diagnostics diagnostics;
    const CellTarget target{SQL_C_SLONG, &value, 0, &indicator};
    EXPECT_EQ(readCell(Cell("7"), intColumn, target, state, diagnostics), SQL_SUCCESS);
    EXPECT_EQ(readCell(Cell("7"), intColumn, target, state, diagnostics), SQL_NO_DATA);
}

TEST(CellConversion, RejectsUnknownBufferTypes) {
    EXPECT_EQ(failure(Cell("1"), intColumn, 12345), "HY003");
}

}  // namespace
}  // namespace vantrok::sim::driver
