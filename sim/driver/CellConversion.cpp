#include "sim/driver/CellConversion.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "sim/driver/TextForms.h"

namespace vantrok::sim::driver {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "wide characters are UTF-16 code units");

[[noreturn]] void invalidCharacterValue() {
    throw DriverError("22018", "Invalid character value for cast");
}
[[noreturn]] void outOfRange() { throw DriverError("22003", "Numeric value out of range"); }
[[noreturn]] void restrictedType() {
    throw DriverError("07006", "Restricted data type attribute violation");
}

void requireBuffer(const CellTarget& target) {
    if (!target.buffer) throw DriverError("HY009", "Invalid use of null pointer");
}

template <class T>
SQLRETURN deliverFixed(const CellTarget& target, ReadState& state, const T& value) {
    requireBuffer(target);
    std::memcpy(target.buffer, &value, sizeof value);
    if (target.indicator) *target.indicator = static_cast<SQLLEN>(sizeof value);
    state.done = true;
    return SQL_SUCCESS;
}

// Character and binary data go out in pieces: each call fills the buffer
// (less the terminator) and reports how much was left before it.
SQLRETURN deliverBytes(std::string_view bytes, std::size_t terminator, std::size_t unit,
                       const CellTarget& target, ReadState& state, Diagnostics& diagnostics) {
    if (target.bufferLength < 0) throw DriverError("HY090", "Invalid string or buffer length");
    const std::string_view rest = bytes.substr(std::min(state.offset, bytes.size()));
    if (target.indicator) *target.indicator = static_cast<SQLLEN>(rest.size());
    std::size_t room = 0;
    if (target.buffer && static_cast<std::size_t>(target.bufferLength) >= terminator)
        room = (static_cast<std::size_t>(target.bufferLength) - terminator) / unit * unit;
    const std::size_t copied = std::min(room, rest.size());
    if (target.buffer && static_cast<std::size_t>(target.bufferLength) >= terminator) {
        std::memcpy(target.buffer, rest.data(), copied);
        std::memset(static_cast<char*>(target.buffer) + copied, 0, terminator);
    }
    state.offset += copied;
    if (copied < rest.size()) {
        diagnostics.addWarning("01004", "String data, right truncated");
    } else {
        state.done = true;
    }
    return SQL_SUCCESS;
}

ExactNumber exactNumber(std::string_view text) {
    auto number = parseExactNumber(text);
    if (!number) invalidCharacterValue();
    return *number;
}

bool hasNonZero(std::string_view digits) {
    return digits.find_first_not_of('0') != std::string_view::npos;
}

void warnFractionalTruncation(Diagnostics& diagnostics) {
    diagnostics.addWarning("01S07", "Fractional truncation");
}

// The whole part of a number, cut toward zero as SQL Server's driver does,
// checked against the range of T.
template <class T>
T integerValue(const ExactNumber& number, Diagnostics& diagnostics) {
    std::uint64_t magnitude = 0;
    const std::string& digits = number.integerDigits;
    if (!digits.empty()) {
        auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
        if (error != std::errc() || end != digits.data() + digits.size()) outOfRange();
    }
    T value = 0;
    if (number.negative && magnitude != 0) {
        if constexpr (std::is_unsigned_v<T>) {
            outOfRange();
        } else {
            const auto limit = static_cast<std::uint64_t>(-(std::numeric_limits<T>::min() + 1)) + 1;
            if (magnitude > limit) outOfRange();
            value = static_cast<T>(-static_cast<std::int64_t>(magnitude - 1) - 1);
        }
    } else {
        if (magnitude > static_cast<std::uint64_t>(std::numeric_limits<T>::max())) outOfRange();
        value = static_cast<T>(magnitude);
    }
    if (hasNonZero(number.fractionDigits)) warnFractionalTruncation(diagnostics);
    return value;
}

template <class T>
SQLRETURN deliverInteger(const Cell& cell, const ResultColumn& column, const CellTarget& target,
                         ReadState& state, Diagnostics& diagnostics) {
    if (column.type == SqlType::DateTime) restrictedType();
    return deliverFixed(target, state, integerValue<T>(exactNumber(*cell), diagnostics));
}

double floatingValue(const Cell& cell, const ResultColumn& column) {
    if (column.type == SqlType::DateTime) restrictedType();
    std::string_view text = trimBlanks(*cell);
    if (text.starts_with('+')) text.remove_prefix(1);
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) outOfRange();
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        invalidCharacterValue();
    return value;
}

SQLRETURN deliverBit(const Cell& cell, const ResultColumn& column, const CellTarget& target,
                     ReadState& state, Diagnostics& diagnostics) {
    if (column.type == SqlType::DateTime) restrictedType();
    const ExactNumber number = exactNumber(*cell);
    const bool fraction = hasNonZero(number.fractionDigits);
    if ((number.negative && (fraction || !number.integerDigits.empty())) ||
        number.integerDigits.size() > 1 || number.integerDigits > "1")
        outOfRange();
    if (fraction) warnFractionalTruncation(diagnostics);
    return deliverFixed(target, state, static_cast<unsigned char>(number.integerDigits == "1"));
}

SQL_TIMESTAMP_STRUCT timestampValue(const Cell& cell, const ResultColumn& column) {
    if (column.type == SqlType::Int || column.type == SqlType::Decimal) restrictedType();
    auto value = parseTimestamp(*cell);
    if (!value) {
        if (column.type == SqlType::DateTime) throw DriverError("22007", "Invalid datetime format");
        invalidCharacterValue();
    }
    return *value;
}

SQLRETURN deliverDate(const Cell& cell, const ResultColumn& column, const CellTarget& target,
                      ReadState& state, Diagnostics& diagnostics) {
    const SQL_TIMESTAMP_STRUCT stamp = timestampValue(cell, column);
    if (stamp.hour || stamp.minute || stamp.second || stamp.fraction)
        warnFractionalTruncation(diagnostics);
    return deliverFixed(target, state, SQL_DATE_STRUCT{stamp.year, stamp.month, stamp.day});
}

SQLRETURN deliverTime(const Cell& cell, const ResultColumn& column, const CellTarget& target,
                      ReadState& state, Diagnostics& diagnostics) {
    if (column.type == SqlType::VarChar) {
        if (auto time = parseTime(*cell)) return deliverFixed(target, state, *time);
    }
    const SQL_TIMESTAMP_STRUCT stamp = timestampValue(cell, column);
    if (stamp.fraction) warnFractionalTruncation(diagnostics);
    return deliverFixed(target, state, SQL_TIME_STRUCT{stamp.hour, stamp.minute, stamp.second});
}

// SQL_NUMERIC_STRUCT: the unscaled value as 16 little-endian bytes, with the
// column's precision and scale (a text column keeps the scale it was written with).
SQLRETURN deliverNumeric(const Cell& cell, const ResultColumn& column, const CellTarget& target,
                         ReadState& state, Diagnostics& diagnostics) {
    if (column.type == SqlType::DateTime) restrictedType();
    const ExactNumber number = exactNumber(*cell);
    std::size_t scale = number.fractionDigits.size();
    if (column.type == SqlType::Decimal) scale = static_cast<std::size_t>(column.scale);
    if (column.type == SqlType::Int) scale = 0;
    std::string fraction = number.fractionDigits;
    if (fraction.size() > scale) {
        if (hasNonZero(std::string_view(fraction).substr(scale))) warnFractionalTruncation(diagnostics);
        fraction.resize(scale);
    }
    fraction.append(scale - fraction.size(), '0');
    std::string digits = number.integerDigits + fraction;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.size() > 38 || scale > 127) outOfRange();

    SQL_NUMERIC_STRUCT value{};
    for (char digit : digits) {
        unsigned carry = static_cast<unsigned>(digit - '0');
        for (auto& byte : value.val) {
            const unsigned next = byte * 10u + carry;
            byte = static_cast<SQLCHAR>(next & 0xFF);
            carry = next >> 8;
        }
        if (carry) outOfRange();
    }
    const std::size_t precision =
        column.type == SqlType::VarChar ? std::max<std::size_t>(digits.size(), 1)
                                        : static_cast<std::size_t>(std::max(column.precision, 1));
    value.precision = static_cast<SQLCHAR>(std::min<std::size_t>(precision, 38));
    value.scale = static_cast<SQLSCHAR>(scale);
    value.sign = number.negative && !digits.empty() ? 0 : 1;
    return deliverFixed(target, state, value);
}

}  // namespace

SQLSMALLINT defaultCType(SqlType type) {
    switch (type) {
        case SqlType::Int: return SQL_C_SLONG;
        case SqlType::DateTime: return SQL_C_TYPE_TIMESTAMP;
        case SqlType::Decimal:
        case SqlType::VarChar: break;
    }
    return SQL_C_CHAR;
}

bool supportedCType(SQLSMALLINT cType) {
    switch (cType) {
        case SQL_C_CHAR: case SQL_C_WCHAR: case SQL_C_BINARY: case SQL_C_LONG: case SQL_C_SLONG:
        case SQL_C_ULONG: case SQL_C_SHORT: case SQL_C_SSHORT: case SQL_C_USHORT:
        case SQL_C_TINYINT: case SQL_C_STINYINT: case SQL_C_UTINYINT: case SQL_C_SBIGINT:
        case SQL_C_UBIGINT: case SQL_C_BIT: case SQL_C_DOUBLE: case SQL_C_FLOAT:
        case SQL_C_NUMERIC: case SQL_C_TYPE_TIMESTAMP: case SQL_C_TIMESTAMP:
        case SQL_C_TYPE_DATE: case SQL_C_DATE: case SQL_C_TYPE_TIME: case SQL_C_TIME:
        case SQL_C_DEFAULT:
            return true;
        default:
            return false;
    }
}

SQLRETURN readCell(const Cell& cell, const ResultColumn& column, const CellTarget& target,
                   ReadState& state, Diagnostics& diagnostics) {
    if (state.done) return SQL_NO_DATA;
    if (!cell) {
        if (!target.indicator)
            throw DriverError("22002", "Indicator variable required but not supplied");
        *target.indicator = SQL_NULL_DATA;
        state.done = true;
        return SQL_SUCCESS;
    }
    SQLSMALLINT cType = target.cType;
    if (cType == SQL_C_DEFAULT || cType == SQL_ARD_TYPE) cType = defaultCType(column.type);
    switch (cType) {
        case SQL_C_CHAR:
            return deliverBytes(*cell, 1, 1, target, state, diagnostics);
        case SQL_C_BINARY:
            return deliverBytes(*cell, 0, 1, target, state, diagnostics);
        case SQL_C_WCHAR: {
            const std::u16string wide = utf16FromUtf8(*cell);
            const std::string_view bytes(reinterpret_cast<const char*>(wide.data()),
                                         wide.size() * sizeof(char16_t));
            return deliverBytes(bytes, sizeof(SQLWCHAR), sizeof(SQLWCHAR), target, state,
                                diagnostics);
        }
        case SQL_C_LONG:
        case SQL_C_SLONG:
            return deliverInteger<SQLINTEGER>(cell, column, target, state, diagnostics);
        case SQL_C_ULONG:
            return deliverInteger<SQLUINTEGER>(cell, column, target, state, diagnostics);
        case SQL_C_SHORT:
        case SQL_C_SSHORT:
            return deliverInteger<SQLSMALLINT>(cell, column, target, state, diagnostics);
        case SQL_C_USHORT:
            return deliverInteger<SQLUSMALLINT>(cell, column, target, state, diagnostics);
        case SQL_C_TINYINT:
        case SQL_C_STINYINT:
            return deliverInteger<SQLSCHAR>(cell, column, target, state, diagnostics);
        case SQL_C_UTINYINT:
            return deliverInteger<SQLCHAR>(cell, column, target, state, diagnostics);
        case SQL_C_SBIGINT:
            return deliverInteger<SQLBIGINT>(cell, column, target, state, diagnostics);
        case SQL_C_UBIGINT:
            return deliverInteger<SQLUBIGINT>(cell, column, target, state, diagnostics);
        case SQL_C_BIT:
            return deliverBit(cell, column, target, state, diagnostics);
        case SQL_C_DOUBLE:
            return deliverFixed(target, state, floatingValue(cell, column));
        case SQL_C_FLOAT: {
            const double value = floatingValue(cell, column);
            if (std::fabs(value) > std::numeric_limits<float>::max()) outOfRange();
            return deliverFixed(target, state, static_cast<float>(value));
        }
        case SQL_C_NUMERIC:
            return deliverNumeric(cell, column, target, state, diagnostics);
        case SQL_C_TYPE_TIMESTAMP:
        case SQL_C_TIMESTAMP:
            return deliverFixed(target, state, timestampValue(cell, column));
        case SQL_C_TYPE_DATE:
        case SQL_C_DATE:
            return deliverDate(cell, column, target, state, diagnostics);
        case SQL_C_TYPE_TIME:
        case SQL_C_TIME:
            return deliverTime(cell, column, target, state, diagnostics);
        default:
            throw DriverError("HY003", "Invalid application buffer type");
    }
}

}  // namespace vantrok::sim::driver
