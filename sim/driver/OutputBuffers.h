#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "sim/driver/Diagnostics.h"
#include "sim/driver/OdbcApi.h"

namespace vantrok::sim::driver {

// Writes text NUL-terminated into a client buffer of bufferLength bytes and
// its full length into *length. Returns true when the text had to be cut; a
// null buffer asks only for the length.
template <class Length>
bool writeText(std::string_view text, SQLPOINTER buffer, SQLLEN bufferLength, Length* length) {
    if (length) *length = static_cast<Length>(text.size());
    if (!buffer) return false;
    if (bufferLength <= 0) return !text.empty();
    const auto room = static_cast<std::size_t>(bufferLength - 1);
    const std::size_t copied = std::min(room, text.size());
    std::memcpy(buffer, text.data(), copied);
    static_cast<char*>(buffer)[copied] = '\0';
    return copied < text.size();
}

// writeText for the info and attribute calls: a cut text is warning 01004.
template <class Length>
void writeTextOrWarn(Diagnostics& diagnostics, std::string_view text, SQLPOINTER buffer,
                     SQLLEN bufferLength, Length* length) {
    if (bufferLength < 0) throw DriverError("HY090", "Invalid string or buffer length");
    if (writeText(text, buffer, bufferLength, length))
        diagnostics.addWarning("01004", "String data, right truncated");
}

template <class T>
void writeValue(SQLPOINTER buffer, T value) {
    if (buffer) std::memcpy(buffer, &value, sizeof value);
}

// An input string argument: SQL_NTS or a byte count. Null stays empty.
inline std::string inputText(const SQLCHAR* text, SQLINTEGER length) {
    if (!text) return {};
    const char* chars = reinterpret_cast<const char*>(text);
    if (length == SQL_NTS) return std::string(chars);
    if (length < 0) throw DriverError("HY090", "Invalid string or buffer length");
    return std::string(chars, static_cast<std::size_t>(length));
}

}  // namespace vantrok::sim::driver
