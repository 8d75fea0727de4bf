#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sim/driver/ParameterText.h"

namespace vantrok::sim::driver {
namespace {

template <class T>
ParameterBinding bound(SQLSMALLINT cType, SQLSMALLINT sqlType, T& value, SQLLEN* indicator = nullptr) {
    return ParameterBinding{SQL_PARAM_INPUT, cType, sqlType, 0, 0, &value, sizeof value, indicator};
}

Cell textOf(const ParameterBinding& binding) { return parameterValue(binding).text; }

std::string failure(const ParameterBinding& binding) {
    try {
        parameterValue(binding);
    } catch (const DriverError& error) {
        return error.sqlstate();
    }
    return "no error";
}

TEST(ParameterText, CharactersByTerminatorOrLength) {
    char text[] = "INV/C9/11";
    SQLLEN length = SQL_NTS;
    EXPECT_EQ(textOf(bound(SQL_C_CHAR, SQL_VARCHAR, text, &length)), "INV/C9/11");
    EXPECT_EQ(textOf(bound(SQL_C_CHAR, SQL_VARCHAR, text)), "INV/C9/11");
    length = 6;
    EXPECT_EQ(textOf(bound(SQL_C_CHAR, SQL_VARCHAR, text, &length)), "INV/C9");
    length = 0;
    EXPECT_EQ(textOf(bound(SQL_C_CHAR, SQL_VARCHAR, text, &length)), "");

    char16_t wide[] = u"Gr\u00FC\u00DF";
    length = SQL_NTS;
    EXPECT_EQ(textOf(bound(SQL_C_WCHAR, SQL_WVARCHAR, wide, &length)), "Gr\xC3\xBC\xC3\x9F");
}

TEST(ParameterText, NullAndOutputSendNothing) {
    SQLINTEGER number = 5;
    SQLLEN indicator = SQL_NULL_DATA;
    const ParamValue null = parameterValue(bound(SQL_C_SLONG, SQL_INTEGER, number, &indicator));
    EXPECT_FALSE(null.text);
    EXPECT_EQ(null.declaredByClient, SqlType::Int);

    ParameterBinding output = bound(SQL_C_SLONG, SQL_INTEGER, number);
    output.ioType = SQL_PARAM_OUTPUT;
    EXPECT_FALSE(parameterValue(output).text);
}

TEST(ParameterText, DeclaredTypeFollowsTheSqlType) {
    EXPECT_EQ(declaredType(SQL_INTEGER), SqlType::Int);
    EXPECT_EQ(declaredType(SQL_SMALLINT), SqlType::Int);
    EXPECT_EQ(declaredType(SQL_DECIMAL), SqlType::Decimal);
    EXPECT_EQ(declaredType(SQL_NUMERIC), SqlType::Decimal);
    EXPECT_EQ(declaredType(SQL_DOUBLE), SqlType::Decimal);
    EXPECT_EQ(declaredType(SQL_TYPE_TIMESTAMP), SqlType::DateTime);
    EXPECT_EQ(declaredType(SQL_TIMESTAMP), SqlType::DateTime);
    EXPECT_EQ(declaredType(SQL_VARCHAR), SqlType::VarChar);
    EXPECT_EQ(declaredType(SQL_WVARCHAR), SqlType::VarChar);
}

TEST(ParameterText, IntegersAsDecimalDigits) {
    SQLINTEGER slong = -2147483647 - 1;
    EXPECT_EQ(textOf(bound(SQL_C_SLONG, SQL_INTEGER, slong)), "-2147483648");
    SQLUINTEGER ulong = 4294967295u;
    EXPECT_EQ(textOf(bound(SQL_C_ULONG, SQL_INTEGER, ulong)), "4294967295");
    SQLSMALLINT small = -7;
    EXPECT_EQ(textOf(bound(SQL_C_SSHORT, SQL_SMALLINT, small)), "-7");
    SQLBIGINT big = 9007199254740993;
    EXPECT_EQ(textOf(bound(SQL_C_SBIGINT, SQL_BIGINT, big)), "9007199254740993");
    SQLSCHAR tiny = -1;
    EXPECT_EQ(textOf(bound(SQL_C_STINYINT, SQL_TINYINT, tiny)), "-1");
    // SQL_C_DEFAULT follows the SQL type.
    EXPECT_EQ(textOf(bound(SQL_C_DEFAULT, SQL_INTEGER, slong)), "-2147483648");
}

TEST(ParameterText, FloatingPointIsShortestAndNeverInExponentForm) {
    double value = 0.1;
    EXPECT_EQ(textOf(bound(SQL_C_DOUBLE, SQL_DOUBLE, value)), "0.1");
    value = 10.0;
    EXPECT_EQ(textOf(bound(SQL_C_DOUBLE, SQL_DECIMAL, value)), "10");
    value = 1e21;
    EXPECT_EQ(textOf(bound(SQL_C_DOUBLE, SQL_DECIMAL, value)), "1000000000000000000000");
    value = -0.00001;
    EXPECT_EQ(textOf(bound(SQL_C_DOUBLE, SQL_DECIMAL, value)), "-0.00001");
    float single = 4.3995f;
    EXPECT_EQ(textOf(bound(SQL_C_FLOAT, SQL_REAL, single)), "4.3995");
    value = std::numeric_limits<double>::infinity();
    EXPECT_EQ(failure(bound(SQL_C_DOUBLE, SQL_DOUBLE, value)), "22003");
}

TEST(ParameterText, DateTimes) {
    SQL_TIMESTAMP_STRUCT stamp{2016, 11, 25, 17, 42, 30, 997999999};
    EXPECT_EQ(textOf(bound(SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, stamp)),
              "2016-11-25 17:42:30.997");
    EXPECT_EQ(textOf(bound(SQL_C_TIMESTAMP, SQL_TIMESTAMP, stamp)), "2016-11-25 17:42:30.997");
    SQL_DATE_STRUCT date{2016, 2, 29};
    EXPECT_EQ(textOf(bound(SQL_C_TYPE_DATE, SQL_TYPE_DATE, date)), "2016-02-29");
    SQL_TIME_STRUCT time{7, 5, 0};
    EXPECT_EQ(textOf(bound(SQL_C_TYPE_TIME, SQL_TYPE_TIME, time)), "07:05:00");

    SQL_TIMESTAMP_STRUCT bad{2016, 13, 1, 0, 0, 0, 0};
    EXPECT_EQ(failure(bound(SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, bad)), "22008");
    SQL_DATE_STRUCT notLeap{2017, 2, 29};
    EXPECT_EQ(failure(bound(SQL_C_TYPE_DATE, SQL_TYPE_DATE, notLeap)), "22008");
}

TEST(ParameterText, NumericStructBecomesExactDecimalText) {
    SQL_NUMERIC_STRUCT number{};
    number.precision = 18;
    number.scale = 3;
    number.sign = 1;
    const unsigned unscaled = 45460;  // 45.460
    number.val[0] = unscaled & 0xFF;
    number.val[1] = (unscaled >> 8) & 0xFF;
    EXPECT_EQ(textOf(bound(SQL_C_NUMERIC, SQL_DECIMAL, number)), "45.460");

    number.sign = 0;
    number.scale = 6;
    EXPECT_EQ(textOf(bound(SQL_C_NUMERIC, SQL_DECIMAL, number)), "-0.045460");

    std::memset(number.val, 0, sizeof number.val);
    number.val[8] = 1;  // 2^64
    number.scale = 0;
    number.sign = 1;
    EXPECT_EQ(textOf(bound(SQL_C_NUMERIC, SQL_DECIMAL, number)), "18446744073709551616");
}

TEST(ParameterText, RejectsWhatItCannotSend) {
    char text[] = "x";
    SQLLEN atExecution = SQL_DATA_AT_EXEC;
    EXPECT_EQ(failure(bound(SQL_C_CHAR, SQL_VARCHAR, text, &atExecution)), "HYC00");
    SQLLEN badLength = -7;
    EXPECT_EQ(failure(bound(SQL_C_CHAR, SQL_VARCHAR, text, &badLength)), "HY090");
    EXPECT_EQ(failure(bound(static_cast<SQLSMALLINT>(12345), SQL_VARCHAR, text)), "HY003");
    ParameterBinding noBuffer{SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 0, 0, nullptr, 0, nullptr};
    EXPECT_EQ(failure(noBuffer), "HY009");
}

TEST(ParameterText, ReturnValueGoesIntoTheOutputBuffer) {
    SQLINTEGER value = -1;
    SQLLEN indicator = 0;
    ParameterBinding output = bound(SQL_C_SLONG, SQL_INTEGER, value, &indicator);
    output.ioType = SQL_PARAM_OUTPUT;
    Diagnostics diagnostics;
    writeReturnValue(output, 0, diagnostics);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(indicator, static_cast<SQLLEN>(sizeof value));
    writeReturnValue(output, std::nullopt, diagnostics);
    EXPECT_EQ(indicator, SQL_NULL_DATA);

    // An input parameter is left alone.
    ParameterBinding input = bound(SQL_C_SLONG, SQL_INTEGER, value, &indicator);
    value = 9;
    writeReturnValue(input, 3, diagnostics);
    EXPECT_EQ(value, 9);
}

}  // namespace
}  // namespace vantrok::sim::driver
