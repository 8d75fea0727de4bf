#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "sim/tds/Bytes.h"
#include "sim/tds/Login.h"
#include "sim/tds/SessionSettings.h"
#include "sim/tds/WireTypes.h"
#include "tests/tds/ClientMessages.h"

using namespace vantrok::sim;
using namespace vantrok::sim::tds;
using vantrok::testing::login7;

namespace {

std::string roundTrip(const ResultColumn& column, const Cell& cell) {
    ByteWriter out;
    writeTypeInfo(out, column);
    writeValue(out, column, cell);
    ByteReader in(out.bytes());
    return readTypedValue(in).value.text.value_or("NULL");
}

}  // namespace

TEST(WireFormat, Login7CarriesTheUserItsObfuscatedPasswordAndTheDatabase) {
    Login7 login = parseLogin7(login7("sa", "qolvent4719ruk", "torvane"));
    EXPECT_EQ(login.userName, "sa");
    EXPECT_EQ(login.password, "qolvent4719ruk");
    EXPECT_EQ(login.database, "torvane");
    EXPECT_EQ(login.serverName, "(LOCAL)");
    EXPECT_EQ(login.tdsVersion, 0x74000004u);
    EXPECT_EQ(login.packetSize, 4096u);
    EXPECT_THROW(parseLogin7(login7("sa", "x", "torvane").substr(0, 60)), ProtocolError);
}

TEST(WireFormat, ValuesTravelExactlyInTheirTypes) {
    const ResultColumn decimal{"", SqlType::Decimal, 18, 3, true};
    EXPECT_EQ(roundTrip(decimal, "45.460"), "45.460");
    EXPECT_EQ(roundTrip(decimal, "-0.005"), "-0.005");
    EXPECT_EQ(roundTrip(decimal, "999999999999999.999"), "999999999999999.999");
    EXPECT_EQ(roundTrip({"", SqlType::Decimal, 38, 4, true}, "-12345678901234567890123456789012.3456"),
              "-12345678901234567890123456789012.3456");
    EXPECT_EQ(roundTrip(decimal, std::nullopt), "NULL");
    EXPECT_EQ(roundTrip({"", SqlType::Int, 10, 0, true}, "-2147483648"), "-2147483648");
    const ResultColumn datetime{"", SqlType::DateTime, 23, 3, true};
    for (const char* text : {"2016-11-25 17:42:30.000", "2016-11-25 17:42:30.003", "1753-01-01 00:00:00.007",
                             "9999-12-31 23:59:59.997", "2000-02-29 12:00:00.993"})
        EXPECT_EQ(roundTrip(datetime, std::string(text)), text);
    EXPECT_EQ(roundTrip({"", SqlType::VarChar, 50, 0, true}, std::string("INV/C9/251116/4")), "INV/C9/251116/4");
}

TEST(WireFormat, ADecimalWiderThanItsColumnIsWidenedNotCut) {
    ResultColumn column{"", SqlType::Decimal, 18, 3, true};
    widenToFit(column, {{std::string("9999999999999999.000")}, {std::nullopt}}, 0);
    EXPECT_EQ(column.precision, 19);
    EXPECT_EQ(roundTrip(column, std::string("9999999999999999.000")), "9999999999999999.000");
}

TEST(WireFormat, AParameterValueItsOwnTypeDoesNotAllowIsRefused) {
    // DECIMALN(18,3) carrying 19 digits, as FreeTDS sends a value it could not fit.
    ByteWriter out;
    out.u8(0x6A);
    out.u8(9);
    out.u8(18);
    out.u8(3);
    out.u8(9);
    out.u8(1);
    out.u64(9999999999999999000ULL);
    ByteReader in(out.bytes());
    EXPECT_THROW(readTypedValue(in), InvalidValue);
}

TEST(WireFormat, AFixedSizeTypeOfAnotherSizeIsAProtocolError) {
    // Type, longest value, the value's length and that many bytes: an IntN of
    // 9 bytes was once shifted past its 64 bits.
    const std::pair<std::uint8_t, std::uint8_t> wrongSizes[] = {
        {0x26, 3}, {0x26, 9}, {0x26, 16}, {0x68, 2}, {0x6D, 2}, {0x6E, 2}, {0x6F, 3}, {0x6F, 16}};
    for (const auto& [type, length] : wrongSizes) {
        ByteWriter out;
        out.u8(type);
        out.u8(length);
        out.u8(length);
        out.raw(std::string(length, '\xFF'));
        ByteReader in(out.bytes());
        EXPECT_THROW(readTypedValue(in), ProtocolError) << int(type) << " of " << int(length);
    }
}

TEST(WireFormat, ADecimalBeyondThirtyEightDigitsIsRefusedNotWrapped) {
    // Precision, scale and the value's sixteen magnitude bytes.
    const auto decimal = [](std::uint8_t precision, std::uint8_t scale, char fill) {
        ByteWriter out;
        out.u8(0x6A);
        out.u8(17);
        out.u8(precision);
        out.u8(scale);
        out.u8(17);
        out.u8(1);
        out.raw(std::string(16, fill));
        return out.bytes();
    };
    // A precision beyond 38 was once raised to its power before it was checked.
    for (std::uint8_t precision : {39, 77, 255}) {
        const std::string bytes = decimal(precision, 0, '\x01');
        ByteReader in(bytes);
        EXPECT_THROW(readTypedValue(in), InvalidValue) << int(precision);
    }
    // All sixteen bytes set were once read as the magnitude -1.
    const std::string allSet = decimal(38, 0, '\xFF');
    ByteReader in(allSet);
    EXPECT_THROW(readTypedValue(in), InvalidValue);
}

TEST(WireFormat, OnlyBatchesOfSessionOptionsAreTakenForTheDriversOwn) {
    EXPECT_TRUE(parseSessionSettings("SET TEXTSIZE 4096"));
    EXPECT_TRUE(parseSessionSettings("set quoted_identifier on; SET ANSI_NULLS ON"));
    EXPECT_FALSE(parseSessionSettings("SET TEXTSIZE"));
    EXPECT_FALSE(parseSessionSettings("SET ROWCOUNT 1 select 1"));
    EXPECT_FALSE(parseSessionSettings("EXEC SYNX_TWO_DB_TO_BK1_BK2"));
    EXPECT_FALSE(parseSessionSettings("SET @x = (select 1)"));
}
