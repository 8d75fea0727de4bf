#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "sim/tds/Bytes.h"
#include "sim/tds/Login.h"
#include "sim/tds/PreparedStatements.h"
#include "sim/tds/ProcedureArguments.h"
#include "sim/tds/Requests.h"
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

TEST(WireFormat, SessionOptionsTakeImplicitTransactionsIsolationLevelsAndUse) {
    // As tedious sends them after its login and with a reset.
    std::optional<SessionSetting> login = parseSessionSettings(
        "set textsize 2147483647\nset implicit_transactions off\nset language us_english\n"
        "set transaction isolation level read committed");
    ASSERT_TRUE(login);
    EXPECT_EQ(login->implicitTransactions, false);
    EXPECT_EQ(parseSessionSettings("set implicit_transactions on")->implicitTransactions, true);
    EXPECT_FALSE(parseSessionSettings("SET TEXTSIZE 1")->implicitTransactions);
    EXPECT_TRUE(parseSessionSettings("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ; SET NOCOUNT OFF"));
    EXPECT_FALSE(parseSessionSettings("SET TRANSACTION ISOLATION LEVEL READ"));
    EXPECT_FALSE(parseSessionSettings("set implicit_transactions maybe"));

    EXPECT_EQ(parseUseDatabase("USE [enablerdb];"), "enablerdb");
    EXPECT_EQ(parseUseDatabase("use torvane"), "torvane");
    EXPECT_FALSE(parseUseDatabase("use"));
    EXPECT_FALSE(parseUseDatabase("use torvane select 1"));
}

namespace {

std::string transactionRequest(std::uint16_t kind, const std::string& name, bool beginAnother) {
    ByteWriter out;
    out.u32(22);  // ALL_HEADERS: the transaction descriptor header
    out.u32(18);
    out.u16(2);
    out.u64(0);
    out.u32(1);
    out.u16(kind);
    if (kind == 5) out.u8(2);  // read committed
    const std::string utf16 = toUcs2(name);
    out.u8(static_cast<std::uint8_t>(utf16.size()));
    out.raw(utf16);
    if (kind != 5) out.u8(beginAnother ? 1 : 0);
    return out.bytes();
}

RpcParameter parameter(std::string name, std::string value, bool output = false) {
    RpcParameter p;
    p.name = std::move(name);
    p.output = output;
    p.value.value = ParamValue{std::move(value), SqlType::VarChar};
    return p;
}

RpcCall call(std::string procedure, std::vector<RpcParameter> parameters) {
    return RpcCall{std::move(procedure), std::move(parameters)};
}

std::vector<std::string> texts(const std::vector<ParamValue>& values) {
    std::vector<std::string> out;
    for (const ParamValue& v : values) out.push_back(v.text.value_or("NULL"));
    return out;
}

template <class Call>
long errorNumber(Call&& c) {
    try {
        c();
    } catch (const SimError& e) {
        return e.nativeError;
    }
    return 0;
}

}  // namespace

TEST(WireFormat, ATransactionsNameIsCountedInBytes) {
    // A named begin, then a commit that begins the next: read to the end, nothing left over.
    EXPECT_EQ(parseTransactionRequest(transactionRequest(5, "carry", false)).kind, TransactionRequest::Kind::Begin);
    TransactionRequest commit = parseTransactionRequest(transactionRequest(7, "carry", true));
    EXPECT_EQ(commit.kind, TransactionRequest::Kind::Commit);
    EXPECT_TRUE(commit.beginAnother);
    std::string odd = transactionRequest(8, "x", false);
    odd[24] = 3;  // a name of three bytes cannot be UTF-16
    EXPECT_THROW(parseTransactionRequest(odd), ProtocolError);
}

TEST(WireFormat, ExecuteSqlBindsItsDeclaredParametersByNameWhateverTheirNames) {
    PreparedStatements prepared;
    // JDBC numbers from @P0; tedious names them and may send them in any order.
    std::optional<StatementCall> jdbc = prepared.take(call("sp_executesql",
        {parameter("", "exec P @P1, @P0"), parameter("", "@P0 int,@P1 varchar(10)"), parameter("", "0"),
         parameter("", "1")}));
    ASSERT_TRUE(jdbc);
    EXPECT_EQ(*jdbc->sql, "exec P ?, ?");
    EXPECT_EQ(texts(jdbc->values), (std::vector<std::string>{"1", "0"}));

    std::optional<StatementCall> named = prepared.take(call("sp_executesql",
        {parameter("@stmt", "exec P @voucher,@id -- '@quoted'"), parameter("@params", "@id int, @voucher varchar(50)"),
         parameter("@VOUCHER", "INV/1"), parameter("@id", "7")}));
    EXPECT_EQ(*named->sql, "exec P ?,? -- '@quoted'");
    EXPECT_EQ(texts(named->values), (std::vector<std::string>{"INV/1", "7"}));

    std::optional<StatementCall> server = prepared.take(call("sp_executesql", {parameter("", "select @@TRANCOUNT")}));
    EXPECT_EQ(*server->sql, "select @@TRANCOUNT");

    // Undeclared in the statement, unknown among the values, declared without a value.
    EXPECT_EQ(errorNumber([&] { prepared.take(call("sp_executesql", {parameter("", "exec P @x"), parameter("", "")})); }),
              137);
    EXPECT_EQ(errorNumber([&] {
                  prepared.take(call("sp_executesql", {parameter("", "exec P @a"), parameter("", "@a int"),
                                                       parameter("@b", "1")}));
              }),
              8145);
    EXPECT_EQ(errorNumber([&] {
                  prepared.take(call("sp_executesql", {parameter("", "exec P @a,@b"),
                                                       parameter("", "@a int,@b decimal(18,2)"), parameter("", "1")}));
              }),
              8178);

    // Output only where declared so; what goes out comes back as it was sent.
    EXPECT_EQ(errorNumber([&] {
                  prepared.take(call("sp_executesql", {parameter("", "exec P @a"), parameter("", "@a int"),
                                                       parameter("@a", "1", true)}));
              }),
              8162);
    std::optional<StatementCall> output = prepared.take(call("sp_executesql",
        {parameter("", "exec P @a"), parameter("", "@a decimal(18,2), @out int OUTPUT"), parameter("", "1"),
         parameter("@OUT", "5", true)}));
    ASSERT_EQ(output->outputs.size(), 1u);
    EXPECT_EQ(output->outputs[0].ordinal, 3);
    EXPECT_EQ(output->outputs[0].name, "@out");

    // A prepared statement keeps its declarations for each execution.
    std::optional<StatementCall> prepare = prepared.take(call("sp_prepare",
        {parameter("", ""), parameter("", "@first int,@second int"), parameter("", "exec P @second,@first")}));
    std::optional<StatementCall> execute =
        prepared.take(call("sp_execute", {parameter("", std::to_string(*prepare->newHandle)), parameter("@first", "1"),
                                          parameter("@second", "2")}));
    EXPECT_EQ(texts(execute->values), (std::vector<std::string>{"2", "1"}));
}

TEST(WireFormat, ProcedureArgumentsFollowTheDeclaredOrder) {
    const std::vector<std::string> declared{"@VocNo", "@S_Date", "@Pump_No"};
    EXPECT_EQ(texts(argumentsInDeclaredOrder(
                  call("P", {parameter("", "v"), parameter("@pump_no", "3"), parameter("@S_Date", "d")}), declared)),
              (std::vector<std::string>{"v", "d", "3"}));
    auto failing = [&](std::vector<RpcParameter> parameters) {
        return errorNumber([&] { argumentsInDeclaredOrder(call("dbo.P", std::move(parameters)), declared); });
    };
    EXPECT_EQ(failing({parameter("@VocNo", "v"), parameter("", "d"), parameter("", "3")}), 119);
    EXPECT_EQ(failing({parameter("@VocNo", "v"), parameter("@vocno", "w"), parameter("@S_Date", "d")}), 8143);
    EXPECT_EQ(failing({parameter("@VocNo", "v"), parameter("@Colour", "red")}), 8145);
    EXPECT_EQ(failing({parameter("@VocNo", "v"), parameter("@Pump_No", "3")}), 201);
    EXPECT_EQ(failing({parameter("", "v"), parameter("", "d"), parameter("", "3"), parameter("", "4")}), 8144);
    // A procedure the database lacks declares nothing: the values go on as sent, for the engine to refuse.
    EXPECT_EQ(texts(argumentsInDeclaredOrder(call("Q", {parameter("@any", "1")}), {})),
              (std::vector<std::string>{"1"}));
}
