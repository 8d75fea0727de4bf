#include "sim/tds/Tokens.h"

#include "sim/tds/WireTypes.h"

namespace vantrok::sim::tds::tokens {

namespace {

enum : std::uint8_t {
    ReturnStatus = 0x79,
    ColMetadata = 0x81,
    Error = 0xAA,
    ReturnValue = 0xAC,
    Info = 0xAB,
    LoginAck = 0xAD,
    Row = 0xD1,
    EnvChange = 0xE3,
};

// A token whose two-byte length follows its type.
void withLength(ByteWriter& out, std::uint8_t type, const ByteWriter& body) {
    out.u8(type);
    out.u16(static_cast<std::uint16_t>(body.size()));
    out.raw(body.bytes());
}

}  // namespace

void message(ByteWriter& out, const ServerMessage& m, std::string_view serverName) {
    ByteWriter body;
    body.u32(static_cast<std::uint32_t>(m.number));
    body.u8(m.state);
    body.u8(m.severity);
    body.usVarChar(m.text);
    body.bVarChar(serverName);
    body.bVarChar(m.procedure);
    body.u32(static_cast<std::uint32_t>(m.line));
    withLength(out, m.severity > 10 ? Error : Info, body);
}

void doneToken(ByteWriter& out, DoneKind kind, std::uint16_t status, std::uint64_t rowCount,
               std::uint16_t currentCommand) {
    out.u8(static_cast<std::uint8_t>(kind));
    out.u16(status);
    out.u16(currentCommand);
    out.u64(rowCount);
}

void returnStatus(ByteWriter& out, std::int32_t value) {
    out.u8(ReturnStatus);
    out.u32(static_cast<std::uint32_t>(value));
}

namespace {

void returnValueHead(ByteWriter& out, std::uint16_t ordinal, std::string_view name) {
    out.u8(ReturnValue);
    out.u16(ordinal);
    out.bVarChar(name);
    out.u8(0x01);   // an output parameter
    out.u32(0);     // user type
    out.u16(0x01);  // nullable
}

}  // namespace

void returnValue(ByteWriter& out, std::uint16_t ordinal, std::string_view name, std::int32_t value) {
    returnValueHead(out, ordinal, name);
    writeTypeInfo(out, ResultColumn{"", SqlType::Int, 10, 0, true});
    writeValue(out, ResultColumn{"", SqlType::Int, 10, 0, true}, std::to_string(value));
}

void returnValue(ByteWriter& out, std::uint16_t ordinal, std::string_view name, std::string_view typeInfo,
                 std::string_view value) {
    returnValueHead(out, ordinal, name);
    out.raw(typeInfo);
    out.raw(value);
}

void loginAck(ByteWriter& out, std::uint32_t tdsVersion) {
    ByteWriter body;
    body.u8(1);  // SQL_TSQL
    // The version is the one field of the token sent most significant byte first.
    for (int shift = 24; shift >= 0; shift -= 8) body.u8(static_cast<std::uint8_t>(tdsVersion >> shift));
    body.bVarChar("Microsoft SQL Server");
    for (std::uint8_t part : {std::uint8_t{16}, std::uint8_t{0}, std::uint8_t{0x10}, std::uint8_t{0x7A}}) body.u8(part);
    withLength(out, LoginAck, body);
}

void environmentChange(ByteWriter& out, std::uint8_t type, std::string_view newValue, std::string_view oldValue) {
    ByteWriter body;
    body.u8(type);
    body.bVarChar(newValue);
    body.bVarChar(oldValue);
    withLength(out, EnvChange, body);
}

void resetConnectionAck(ByteWriter& out) {
    ByteWriter body;
    body.u8(18);
    body.u8(0);
    body.u8(0);
    withLength(out, EnvChange, body);
}

void transactionChange(ByteWriter& out, std::uint8_t type, std::uint64_t descriptor) {
    ByteWriter body;
    body.u8(type);
    const auto value = [&] {
        body.u8(8);
        body.u64(descriptor);
    };
    if (type == 8) {
        value();
        body.u8(0);
    } else {
        body.u8(0);
        value();
    }
    withLength(out, EnvChange, body);
}

void collationChange(ByteWriter& out) {
    ByteWriter body;
    body.u8(7);
    body.u8(static_cast<std::uint8_t>(serverCollation.size()));
    body.raw(serverCollation);
    body.u8(0);
    withLength(out, EnvChange, body);
}

void columnMetadata(ByteWriter& out, const std::vector<ResultColumn>& columns) {
    out.u8(ColMetadata);
    out.u16(static_cast<std::uint16_t>(columns.size()));
    for (const ResultColumn& column : columns) {
        out.u32(0);                           // user type
        out.u16(column.nullable ? 0x01 : 0);  // read-only, nullable or not
        writeTypeInfo(out, column);
        out.bVarChar(column.name);
    }
}

void row(ByteWriter& out, const std::vector<ResultColumn>& columns, const vantrok::sim::Row& values) {
    out.u8(Row);
    for (std::size_t i = 0; i < columns.size(); ++i)
        writeValue(out, columns[i], i < values.size() ? values[i] : Cell{});
}

}  // namespace vantrok::sim::tds::tokens
