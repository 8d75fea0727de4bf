#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/engine/ResultTable.h"
#include "sim/tds/Bytes.h"

// The tokens of a server's reply ([MS-TDS] 2.2.7), appended to a writer.
namespace vantrok::sim::tds::tokens {

// DONE, DONEPROC and DONEINPROC status bits ([MS-TDS] 2.2.7.6).
namespace done {
constexpr std::uint16_t final = 0x00;
constexpr std::uint16_t more = 0x01;
constexpr std::uint16_t error = 0x02;
constexpr std::uint16_t count = 0x10;
constexpr std::uint16_t attention = 0x20;
}  // namespace done

// The statement a DONE token completes (its CurCmd), as SQL Server numbers them.
namespace command {
constexpr std::uint16_t select = 0xC1;
constexpr std::uint16_t insert = 0xC3;
constexpr std::uint16_t remove = 0xC4;
constexpr std::uint16_t update = 0xC5;
}  // namespace command

enum class DoneKind : std::uint8_t { Done = 0xFD, DoneProc = 0xFE, DoneInProc = 0xFF };

// An INFO or ERROR message as SQL Server sends it.
struct ServerMessage {
    std::int32_t number = 0;
    std::uint8_t state = 1;
    std::uint8_t severity = 0;  // up to 10 an informational message, above an error
    std::string text;
    std::string procedure;
    std::int32_t line = 1;
};

void message(ByteWriter& out, const ServerMessage& message, std::string_view serverName);
void doneToken(ByteWriter& out, DoneKind kind, std::uint16_t status, std::uint64_t rowCount,
               std::uint16_t currentCommand = command::select);
void returnStatus(ByteWriter& out, std::int32_t value);
// RETURNVALUE of an int output parameter.
void returnValue(ByteWriter& out, std::uint16_t ordinal, std::string_view name, std::int32_t value);
// RETURNVALUE of an output parameter in its own TYPE_INFO and value bytes.
void returnValue(ByteWriter& out, std::uint16_t ordinal, std::string_view name, std::string_view typeInfo,
                 std::string_view value);
void loginAck(ByteWriter& out, std::uint32_t tdsVersion);
// ENVCHANGE of a text value: 1 database, 2 language, 4 packet size.
void environmentChange(ByteWriter& out, std::uint8_t type, std::string_view newValue, std::string_view oldValue);
// A transaction's begin (8), commit (9) or rollback (10) ([MS-TDS] 2.2.7.9):
// the 8-byte descriptor as the new value of a begin, as the old one of an end.
void transactionChange(ByteWriter& out, std::uint8_t type, std::uint64_t descriptor);
// ENVCHANGE 18: the session was reset as the client asked ([MS-TDS] 2.2.7.9).
void resetConnectionAck(ByteWriter& out);
// ENVCHANGE 7: the server's default collation.
void collationChange(ByteWriter& out);
void columnMetadata(ByteWriter& out, const std::vector<ResultColumn>& columns);
void row(ByteWriter& out, const std::vector<ResultColumn>& columns, const Row& row);

// SQL_Latin1_General_CP1_CI_AS, SQL Server's default collation for us_english.
inline constexpr std::string_view serverCollation{"\x09\x04\xD0\x00\x34", 5};

}  // namespace vantrok::sim::tds::tokens
