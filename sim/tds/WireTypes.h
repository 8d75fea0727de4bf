#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/engine/ResultTable.h"
#include "sim/tds/Bytes.h"

// SQL Server's data types on the wire ([MS-TDS] 2.2.5.4 to 2.2.5.6): the
// TYPE_INFO of a column and its values, and the typed values of an RPC's
// parameters turned into the engine's text form.
namespace vantrok::sim::tds {

// TYPE_INFO, then the value, of the engine's column types: int as INTN(4),
// decimal as DECIMALN with its precision and scale, datetime as DATETIMN(8),
// varchar as BIGVARCHAR with the server's collation.
void writeTypeInfo(ByteWriter& out, const ResultColumn& column);
void writeValue(ByteWriter& out, const ResultColumn& column, const Cell& cell);

// Widens a decimal column whose stored values have more digits than its
// precision (a station's files can hold them; SQL Server's tables cannot), so
// every value travels exactly instead of being cut to the declared bytes.
void widenToFit(ResultColumn& column, const std::vector<Row>& rows, std::size_t index);

// One parameter value as it came: its type (the TYPE_INFO bytes as sent, to
// echo in a RETURNVALUE) and its value as the engine takes it.
struct WireValue {
    std::string typeInfo;
    std::string valueBytes;  // the value as sent, its length included
    ParamValue value;
};

// Reads TYPE_INFO and value. Throws ProtocolError on a type it does not know.
WireValue readTypedValue(ByteReader& in);

// Days and 1/300 s of SQL Server's datetime for the stored text
// "yyyy-mm-dd hh:mm:ss.fff", and back.
struct DateTimeTicks {
    std::int32_t days = 0;  // from 1900-01-01
    std::uint32_t ticks = 0;
};
DateTimeTicks dateTimeTicks(const std::string& text);
std::string dateTimeText(DateTimeTicks value);

}  // namespace vantrok::sim::tds
