#include "sim/driver/ParameterText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "sim/driver/CellConversion.h"
#include "sim/driver/TextForms.h"

namespace vantrok::sim::driver {

namespace {

SQLSMALLINT defaultParameterCType(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_INTEGER: return SQL_C_SLONG;
        case SQL_SMALLINT: return SQL_C_SSHORT;
        case SQL_TINYINT: return SQL_C_STINYINT;
        case SQL_BIGINT: return SQL_C_SBIGINT;
        case SQL_BIT: return SQL_C_BIT;
        case SQL_REAL: return SQL_C_FLOAT;
        case SQL_FLOAT:
        case SQL_DOUBLE: return SQL_C_DOUBLE;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP: return SQL_C_TYPE_TIMESTAMP;
        case SQL_TYPE_DATE:
        case SQL_DATE: return SQL_C_TYPE_DATE;
        case SQL_TYPE_TIME:
        case SQL_TIME: return SQL_C_TYPE_TIME;
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SQL_WLONGVARCHAR: return SQL_C_WCHAR;
        default: return SQL_C_CHAR;
    }
}

// The byte length of character or binary input: SQL_NTS or a count.
std::size_t inputLength(const ParameterBinding& binding, std::size_t unit) {
    const SQLLEN length = binding.indicator ? *binding.indicator : SQL_NTS;
    if (length >= 0) return static_cast<std::size_t>(length);
    if (length != SQL_NTS) throw DriverError("HY090", "Invalid string or buffer length");
    const char* bytes = static_cast<const char*>(binding.buffer);
    std::size_t size = 0;
    while (true) {
        bool zero = true;
        for (std::size_t i = 0; i < unit; ++i) zero = zero && bytes[size + i] == 0;
        if (zero) return size;
        size += unit;
    }
}

template <class T>
T read(const ParameterBinding& binding) {
    T value;
    std::memcpy(&value, binding.buffer, sizeof value);
    return value;
}

template <class T>
std::string integerText(const ParameterBinding& binding) {
    char text[24];
    auto end = std::to_chars(text, text + sizeof text, read<T>(binding)).ptr;
    return std::string(text, end);
}

// Shortest text that reads back as the same value, never in exponent form
// (SQL Server's conversion of text to decimal does not take one).
template <class T>
std::string floatingText(T value) {
    if (!std::isfinite(value)) throw DriverError("22003", "Numeric value out of range");
    char text[400];
    auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
    return std::string(text, end);
}

std::string numericText(const SQL_NUMERIC_STRUCT& value) {
    // The 16 little-endian bytes as decimal digits, by repeated division.
    SQLCHAR bytes[SQL_MAX_NUMERIC_LEN];
    std::memcpy(bytes, value.val, sizeof bytes);
    std::string digits;
    bool nonZero = true;
    while (nonZero) {
        unsigned remainder = 0;
        nonZero = false;
        for (int i = SQL_MAX_NUMERIC_LEN - 1; i >= 0; --i) {
            const unsigned current = remainder * 256u + bytes[i];
            bytes[i] = static_cast<SQLCHAR>(current / 10u);
            remainder = current % 10u;
            nonZero = nonZero || bytes[i] != 0;
        }
        digits.insert(digits.begin(), static_cast<char>('0' + remainder));
    }
    const int scale = value.scale;
    if (scale > 0) {
        if (digits.size() <= static_cast<std::size_t>(scale))
            digits.insert(0, static_cast<std::size_t>(scale) - digits.size() + 1, '0');
        digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
    } else if (scale < 0 && digits != "0") {
        digits.append(static_cast<std::size_t>(-scale), '0');
    }
    return value.sign == 0 && digits.find_first_not_of("0.") != std::string::npos ? "-" + digits
                                                                                  : digits;
}

std::string timestampParameterText(const SQL_TIMESTAMP_STRUCT& value) {
    if (!validTimestamp(value)) throw DriverError("22008", "Datetime field overflow");
    return timestampText(value);
}

std::string dateText(const SQL_DATE_STRUCT& value) {
    SQL_TIMESTAMP_STRUCT stamp{};
    stamp.year = value.year;
    stamp.month = value.month;
    stamp.day = value.day;
    return timestampParameterText(stamp).substr(0, 10);
}

std::string timeText(const SQL_TIME_STRUCT& value) {
    SQL_TIMESTAMP_STRUCT stamp{};
    stamp.year = 2000;
    stamp.month = stamp.day = 1;
    stamp.hour = value.hour;
    stamp.minute = value.minute;
    stamp.second = value.second;
    return timestampParameterText(stamp).substr(11, 8);
}

std::string inputText(const ParameterBinding& binding, SQLSMALLINT cType) {
    switch (cType) {
        case SQL_C_CHAR:
        case SQL_C_BINARY:
            return std::string(static_cast<const char*>(binding.buffer), inputLength(binding, 1));
        case SQL_C_WCHAR: {
            const std::size_t bytes = inputLength(binding, sizeof(SQLWCHAR));
            std::u16string wide(bytes / sizeof(char16_t), u'\0');
            std::memcpy(wide.data(), binding.buffer, wide.size() * sizeof(char16_t));
            return utf8FromUtf16(wide);
        }
        case SQL_C_LONG:
        case SQL_C_SLONG: return integerText<SQLINTEGER>(binding);
        case SQL_C_ULONG: return integerText<SQLUINTEGER>(binding);
        case SQL_C_SHORT:
        case SQL_C_SSHORT: return integerText<SQLSMALLINT>(binding);
        case SQL_C_USHORT: return integerText<SQLUSMALLINT>(binding);
        case SQL_C_TINYINT:
        case SQL_C_STINYINT: return integerText<SQLSCHAR>(binding);
        case SQL_C_UTINYINT:
        case SQL_C_BIT: return integerText<SQLCHAR>(binding);
        case SQL_C_SBIGINT: return integerText<SQLBIGINT>(binding);
        case SQL_C_UBIGINT: return integerText<SQLUBIGINT>(binding);
        case SQL_C_DOUBLE: return floatingText(read<double>(binding));
        case SQL_C_FLOAT: return floatingText(read<float>(binding));
        case SQL_C_NUMERIC: return numericText(read<SQL_NUMERIC_STRUCT>(binding));
        case SQL_C_TYPE_TIMESTAMP:
        case SQL_C_TIMESTAMP: return timestampParameterText(read<SQL_TIMESTAMP_STRUCT>(binding));
        case SQL_C_TYPE_DATE:
        case SQL_C_DATE: return dateText(read<SQL_DATE_STRUCT>(binding));
        case SQL_C_TYPE_TIME:
        case SQL_C_TIME: return timeText(read<SQL_TIME_STRUCT>(binding));
        default: throw DriverError("HY003", "Invalid application buffer type");
    }
}

}  // namespace

bool knownSqlType(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_CHAR: case SQL_VARCHAR: case SQL_LONGVARCHAR: case SQL_WCHAR: case SQL_WVARCHAR:
        case SQL_WLONGVARCHAR: case SQL_DECIMAL: case SQL_NUMERIC: case SQL_INTEGER:
        case SQL_SMALLINT: case SQL_TINYINT: case SQL_BIGINT: case SQL_BIT: case SQL_REAL:
        case SQL_FLOAT: case SQL_DOUBLE: case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP:
        case SQL_TYPE_DATE: case SQL_DATE: case SQL_TYPE_TIME: case SQL_TIME: case SQL_BINARY:
        case SQL_VARBINARY: case SQL_LONGVARBINARY:
            return true;
        default:
            return false;
    }
}

SqlType declaredType(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_INTEGER:
        case SQL_SMALLINT:
        case SQL_TINYINT:
        case SQL_BIGINT:
        case SQL_BIT: return SqlType::Int;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE: return SqlType::Decimal;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
        case SQL_TYPE_DATE:
        case SQL_DATE:
        case SQL_TYPE_TIME:
        case SQL_TIME: return SqlType::DateTime;
        default: return SqlType::VarChar;
    }
}

ParamValue parameterValue(const ParameterBinding& binding) {
    ParamValue value;
    value.declaredByClient = declaredType(binding.sqlType);
    if (binding.ioType == SQL_PARAM_OUTPUT) return value;
    if (binding.indicator) {
        const SQLLEN indicator = *binding.indicator;
        if (indicator == SQL_NULL_DATA) return value;
        if (indicator == SQL_DATA_AT_EXEC || indicator <= SQL_LEN_DATA_AT_EXEC_OFFSET ||
            indicator == SQL_DEFAULT_PARAM)
            throw DriverError("HYC00", "Optional feature not implemented");
    }
    if (!binding.buffer) throw DriverError("HY009", "Invalid use of null pointer");
    const SQLSMALLINT cType =
        binding.cType == SQL_C_DEFAULT ? defaultParameterCType(binding.sqlType) : binding.cType;
    value.text = inputText(binding, cType);
    return value;
}

void writeReturnValue(const ParameterBinding& binding, std::optional<long> value,
                      Diagnostics& diagnostics) {
    if (binding.ioType != SQL_PARAM_OUTPUT && binding.ioType != SQL_PARAM_INPUT_OUTPUT) return;
    const ResultColumn column{"", SqlType::Int, 10, 0, true};
    const Cell cell = value ? Cell(std::to_string(*value)) : Cell();
    const SQLSMALLINT cType =
        binding.cType == SQL_C_DEFAULT ? defaultParameterCType(binding.sqlType) : binding.cType;
    ReadState state;
    readCell(cell, column, CellTarget{cType, binding.buffer, binding.bufferLength, binding.indicator},
             state, diagnostics);
}

}  // namespace vantrok::sim::driver
