#include "sim/tds/WireTypes.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "sim/tds/Tokens.h"

namespace vantrok::sim::tds {

namespace {

// Type tokens of [MS-TDS] 2.2.5.4.
enum : std::uint8_t {
    Int1 = 0x30, Bit = 0x32, Int2 = 0x34, Int4 = 0x38, DateTim4 = 0x3A, Flt4 = 0x3B, Money = 0x3C, DateTime = 0x3D,
    Flt8 = 0x3E, Money4 = 0x7A, Int8 = 0x7F,
    IntN = 0x26, DateN = 0x28, DateTime2N = 0x2A, BitN = 0x68, DecimalN = 0x6A, NumericN = 0x6C, FltN = 0x6D,
    MoneyN = 0x6E, DateTimN = 0x6F,
    Image = 0x22, Text = 0x23, NText = 0x63,
    BigVarBinary = 0xA5, BigVarChar = 0xA7, BigBinary = 0xAD, BigChar = 0xAF, NVarChar = 0xE7, NChar = 0xEF,
};

constexpr std::uint16_t unlimitedLength = 0xFFFF;  // varchar(max): a partially length-prefixed value
constexpr std::uint64_t plpNull = ~0ULL;
constexpr std::uint32_t ticksPerSecond = 300;

__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

// A type token as an error message names it: 0x26.
std::string typeToken(std::uint8_t type) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", type);
    return hex;
}

// Days from 0001-01-01 in the proleptic Gregorian calendar (H. Hinnant's
// days_from_civil, shifted).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468 + 719162;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
    std::int64_t z = days - 719162 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

const std::int64_t days1900 = daysFromCivil(1900, 1, 1);

int number(std::string_view text, std::size_t at, std::size_t length) {
    int value = 0;
    if (at + length > text.size()) throw ProtocolError("a datetime value that is not of its stored form");
    for (std::size_t i = at; i < at + length; ++i) {
        if (text[i] < '0' || text[i] > '9') throw ProtocolError("a datetime value that is not of its stored form");
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::string twoDigits(int v) {
    char b[3] = {static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10), 0};
    return b;
}

std::string civilText(std::int64_t daysFrom0001, std::uint64_t secondOfDay, std::string fraction) {
    int y = 0, m = 0, d = 0;
    civilFromDays(daysFrom0001, y, m, d);
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", y, m, d);
    std::string text = date;
    text += " " + twoDigits(static_cast<int>(secondOfDay / 3600)) + ":" +
            twoDigits(static_cast<int>(secondOfDay / 60 % 60)) + ":" + twoDigits(static_cast<int>(secondOfDay % 60));
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

std::string paddedDigits(std::uint64_t value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

// Digits of an exact decimal with `scale` digits after the point.
std::string decimalText(bool negative, Int128 magnitude, int scale) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (static_cast<int>(digits.size()) <= scale) digits.insert(0, scale + 1 - digits.size(), '0');
    if (scale > 0) digits.insert(digits.size() - scale, ".");
    return (negative ? "-" : "") + digits;
}

// Bytes of a DECIMALN value of this precision ([MS-TDS] 2.2.5.5.1.6).
std::uint8_t decimalLength(int precision) {
    if (precision <= 9) return 5;
    if (precision <= 19) return 9;
    if (precision <= 28) return 13;
    return 17;
}

std::uint64_t littleEndian(std::string_view bytes) {
    std::uint64_t v = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) v = v << 8 | static_cast<std::uint8_t>(bytes[i]);
    return v;
}

std::string integerText(std::string_view bytes, bool isSigned) {
    std::uint64_t raw = littleEndian(bytes);
    if (!isSigned || bytes.size() == 8) {
        return isSigned ? std::to_string(static_cast<std::int64_t>(raw)) : std::to_string(raw);
    }
    const unsigned bits = static_cast<unsigned>(bytes.size()) * 8;
    std::int64_t v = static_cast<std::int64_t>(raw);
    if (raw >> (bits - 1)) v -= static_cast<std::int64_t>(1) << bits;
    return std::to_string(v);
}

std::string floatText(std::string_view bytes) {
    char out[32];
    std::to_chars_result r{};
    if (bytes.size() == 4) {
        auto bits = static_cast<std::uint32_t>(littleEndian(bytes));
        float f;
        std::memcpy(&f, &bits, sizeof f);
        r = std::to_chars(out, out + sizeof out, f);
    } else {
        std::uint64_t bits = littleEndian(bytes);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        r = std::to_chars(out, out + sizeof out, d);
    }
    return std::string(out, r.ptr);
}

std::string moneyText(std::string_view bytes) {
    std::int64_t v = 0;
    if (bytes.size() == 4) {
        v = static_cast<std::int32_t>(littleEndian(bytes));
    } else {
        std::uint64_t high = littleEndian(bytes.substr(0, 4)), low = littleEndian(bytes.substr(4, 4));
        v = static_cast<std::int64_t>(high << 32 | low);
    }
    return decimalText(v < 0, v < 0 ? -static_cast<Int128>(v) : static_cast<Int128>(v), 4);
}

std::string dateTimeFromBytes(std::string_view bytes) {
    if (bytes.size() == 4) {  // smalldatetime: days and minutes
        auto days = static_cast<std::uint16_t>(littleEndian(bytes.substr(0, 2)));
        auto minutes = static_cast<std::uint16_t>(littleEndian(bytes.substr(2, 2)));
        return dateTimeText({days, static_cast<std::uint32_t>(minutes) * 60 * ticksPerSecond});
    }
    return dateTimeText({static_cast<std::int32_t>(littleEndian(bytes.substr(0, 4))),
                         static_cast<std::uint32_t>(littleEndian(bytes.substr(4, 4)))});
}

// datetime2: time in units of 10^-scale s, then days from 0001-01-01.
std::string dateTime2FromBytes(std::string_view bytes, int scale) {
    const std::size_t timeLength = bytes.size() - 3;
    std::uint64_t units = littleEndian(bytes.substr(0, timeLength));
    std::uint64_t perSecond = 1;
    for (int i = 0; i < scale; ++i) perSecond *= 10;
    std::int64_t days = static_cast<std::int64_t>(littleEndian(bytes.substr(timeLength, 3)));
    return civilText(days, units / perSecond, scale > 0 ? paddedDigits(units % perSecond, scale) : "");
}

std::string plpBytes(ByteReader& in, bool& isNull) {
    std::uint64_t total = in.u64();
    isNull = total == plpNull;
    std::string value;
    if (isNull) return value;
    for (std::uint32_t chunk = in.u32(); chunk != 0; chunk = in.u32()) value.append(in.take(chunk));
    return value;
}

}  // namespace

DateTimeTicks dateTimeTicks(const std::string& text) {
    // "yyyy-mm-dd hh:mm:ss.fff"
    const int y = number(text, 0, 4), mo = number(text, 5, 2), d = number(text, 8, 2);
    const int h = number(text, 11, 2), mi = number(text, 14, 2), s = number(text, 17, 2);
    const int ms = text.size() > 20 ? number(text, 20, 3) : 0;
    DateTimeTicks value;
    value.days = static_cast<std::int32_t>(daysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) - days1900);
    value.ticks = static_cast<std::uint32_t>(((h * 60 + mi) * 60 + s) * ticksPerSecond + (ms * 3 + 5) / 10);
    return value;
}

std::string dateTimeText(DateTimeTicks value) {
    const std::uint32_t seconds = value.ticks / ticksPerSecond;
    const std::uint32_t milliseconds = ((value.ticks % ticksPerSecond) * 10 + 1) / 3;
    return civilText(days1900 + value.days, seconds, paddedDigits(milliseconds, 3));
}

void widenToFit(ResultColumn& column, const std::vector<Row>& rows, std::size_t index) {
    if (column.type != SqlType::Decimal) return;
    for (const Row& row : rows) {
        if (index >= row.size() || !row[index]) continue;
        const std::string& text = *row[index];
        const auto digits = static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }));
        column.precision = std::clamp(digits, column.precision, 38);
    }
}

void writeTypeInfo(ByteWriter& out, const ResultColumn& column) {
    switch (column.type) {
    case SqlType::Int:
        out.u8(IntN);
        out.u8(4);
        return;
    case SqlType::Decimal:
        out.u8(DecimalN);
        out.u8(decimalLength(column.precision));
        out.u8(static_cast<std::uint8_t>(column.precision));
        out.u8(static_cast<std::uint8_t>(column.scale));
        return;
    case SqlType::DateTime:
        out.u8(DateTimN);
        out.u8(8);
        return;
    case SqlType::VarChar:
        out.u8(BigVarChar);
        out.u16(static_cast<std::uint16_t>(column.precision > 0 && column.precision <= 8000 ? column.precision : 8000));
        out.raw(tokens::serverCollation);
        return;
    }
}

void writeValue(ByteWriter& out, const ResultColumn& column, const Cell& cell) {
    switch (column.type) {
    case SqlType::Int: {
        if (!cell) return out.u8(0);
        out.u8(4);
        out.u32(static_cast<std::uint32_t>(static_cast<std::int32_t>(std::stol(*cell))));
        return;
    }
    case SqlType::Decimal: {
        if (!cell) return out.u8(0);
        const std::uint8_t length = decimalLength(column.precision);
        Int128 magnitude = 0;
        bool negative = false;
        for (char c : *cell) {
            if (c == '-') negative = true;
            else if (c >= '0' && c <= '9') magnitude = magnitude * 10 + (c - '0');
        }
        out.u8(length);
        out.u8(negative ? 0 : 1);
        for (std::uint8_t i = 1; i < length; ++i) {
            out.u8(static_cast<std::uint8_t>(magnitude & 0xFF));
            magnitude >>= 8;
        }
        return;
    }
    case SqlType::DateTime: {
        if (!cell) return out.u8(0);
        DateTimeTicks value = dateTimeTicks(*cell);
        out.u8(8);
        out.u32(static_cast<std::uint32_t>(value.days));
        out.u32(value.ticks);
        return;
    }
    case SqlType::VarChar:
        if (!cell) return out.u16(0xFFFF);
        out.u16(static_cast<std::uint16_t>(cell->size()));
        out.raw(*cell);
        return;
    }
}

WireValue readTypedValue(ByteReader& in) {
    const std::size_t start = in.position();
    const std::uint8_t type = in.u8();
    WireValue result;
    ParamValue& value = result.value;
    auto finish = [&](std::size_t typeEnd) {
        ByteReader copy = in;
        copy.seek(start);
        result.typeInfo = std::string(copy.take(typeEnd - start));
        result.valueBytes = std::string(copy.take(in.position() - typeEnd));
        return result;
    };
    switch (type) {
    case Int1: case Int2: case Int4: case Int8: case Bit: {
        const std::size_t typeEnd = in.position();
        const std::size_t size = type == Int1 || type == Bit ? 1 : type == Int2 ? 2 : type == Int4 ? 4 : 8;
        value.declaredByClient = SqlType::Int;
        value.text = integerText(in.take(size), type != Int1 && type != Bit);
        return finish(typeEnd);
    }
    case Flt4: case Flt8: {
        const std::size_t typeEnd = in.position();
        value.declaredByClient = SqlType::Decimal;
        value.text = floatText(in.take(type == Flt4 ? 4 : 8));
        return finish(typeEnd);
    }
    case Money: case Money4: {
        const std::size_t typeEnd = in.position();
        value.declaredByClient = SqlType::Decimal;
        value.text = moneyText(in.take(type == Money4 ? 4 : 8));
        return finish(typeEnd);
    }
    case DateTime: case DateTim4: {
        const std::size_t typeEnd = in.position();
        value.declaredByClient = SqlType::DateTime;
        value.text = dateTimeFromBytes(in.take(type == DateTime ? 8 : 4));
        return finish(typeEnd);
    }
    case IntN: case BitN: case FltN: case MoneyN: case DateTimN: {
        in.u8();  // the longest value; each value gives its own length
        const std::size_t typeEnd = in.position();
        const std::uint8_t length = in.u8();
        value.declaredByClient = type == IntN || type == BitN ? SqlType::Int
                                 : type == DateTimN         ? SqlType::DateTime
                                                            : SqlType::Decimal;
        if (length == 0) return finish(typeEnd);
        // Each of these types has a few sizes only; any other would be read past its bytes.
        const bool known = type == IntN ? length == 1 || length == 2 || length == 4 || length == 8
                           : type == BitN ? length == 1
                                          : length == 4 || length == 8;
        if (!known) throw ProtocolError("a value of type " + typeToken(type) + " of " + std::to_string(length) + " bytes");
        std::string_view bytes = in.take(length);
        if (type == IntN) value.text = integerText(bytes, length != 1);
        else if (type == BitN) value.text = bytes[0] ? "1" : "0";
        else if (type == FltN) value.text = floatText(bytes);
        else if (type == MoneyN) value.text = moneyText(bytes);
        else value.text = dateTimeFromBytes(bytes);
        return finish(typeEnd);
    }
    case DecimalN: case NumericN: {
        in.u8();
        const int precision = in.u8();
        const int scale = in.u8();
        const std::size_t typeEnd = in.position();
        const std::uint8_t length = in.u8();
        value.declaredByClient = SqlType::Decimal;
        if (length == 0) return finish(typeEnd);
        if (length > 17) throw ProtocolError("a decimal value of " + std::to_string(length) + " bytes");
        const bool positive = in.u8() != 0;
        std::string_view bytes = in.take(length - 1u);
        const char* const typeName = type == DecimalN ? "decimal" : "numeric";
        // The precision first: 10^precision of more than 38 digits overflows.
        if (precision < 1 || precision > 38 || scale > precision) throw InvalidValue(typeName);
        // Unsigned: sixteen bytes with their top bit set are a magnitude too large, not a negative one.
        UInt128 magnitude = 0;
        for (std::size_t i = bytes.size(); i-- > 0;) magnitude = magnitude << 8 | static_cast<std::uint8_t>(bytes[i]);
        UInt128 limit = 1;
        for (int i = 0; i < precision; ++i) limit *= 10;
        if (magnitude >= limit) throw InvalidValue(typeName);
        value.text = decimalText(!positive && magnitude != 0, static_cast<Int128>(magnitude), scale);
        return finish(typeEnd);
    }
    case DateN: case DateTime2N: {
        const int scale = type == DateTime2N ? in.u8() : 0;
        if (scale > 7) throw ProtocolError("a datetime2 of scale " + std::to_string(scale));
        const std::size_t typeEnd = in.position();
        const std::uint8_t length = in.u8();
        value.declaredByClient = SqlType::DateTime;
        if (length == 0) return finish(typeEnd);
        std::string_view bytes = in.take(length);
        if (type == DateN) value.text = civilText(static_cast<std::int64_t>(littleEndian(bytes)), 0, "000");
        else value.text = dateTime2FromBytes(bytes, scale);
        return finish(typeEnd);
    }
    case BigVarChar: case BigChar: case NVarChar: case NChar: case BigVarBinary: case BigBinary: {
        const std::uint16_t maxLength = in.u16();
        const bool characters = type != BigVarBinary && type != BigBinary;
        if (characters) in.take(5);  // collation
        const std::size_t typeEnd = in.position();
        const bool wide = type == NVarChar || type == NChar;
        value.declaredByClient = SqlType::VarChar;
        std::string bytes;
        bool isNull = false;
        if (maxLength == unlimitedLength) {
            bytes = plpBytes(in, isNull);
        } else {
            const std::uint16_t length = in.u16();
            isNull = length == 0xFFFF;
            if (!isNull) bytes = std::string(in.take(length));
        }
        if (!isNull) value.text = wide ? fromUcs2(bytes) : bytes;
        return finish(typeEnd);
    }
    case Image: case Text: case NText: {
        in.u32();  // the longest value
        if (type != Image) in.take(5);  // collation
        const std::size_t typeEnd = in.position();
        const std::uint32_t length = in.u32();
        value.declaredByClient = SqlType::VarChar;
        if (length != 0xFFFFFFFF) {
            std::string bytes(in.take(length));
            value.text = type == NText ? fromUcs2(bytes) : bytes;
        }
        return finish(typeEnd);
    }
    default:
        throw ProtocolError("a parameter of type " + typeToken(type) + ", which this server does not take");
    }
}

}  // namespace vantrok::sim::tds
