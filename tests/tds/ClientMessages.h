#pragma once

// Client messages as a TDS client builds them, for tests that speak to the
// endpoint, or to its parsers, byte by byte.
#include <string>

#include "sim/tds/Bytes.h"
#include "sim/tds/Login.h"

namespace vantrok::testing {

// A LOGIN7: fixed part, then the variable fields in order.
inline std::string login7(const std::string& user, const std::string& password, const std::string& database) {
    using namespace vantrok::sim::tds;
    const std::string fields[] = {toUcs2("host"), toUcs2(user), obfuscatePassword(toUcs2(password)), toUcs2("app"),
                                  toUcs2("(LOCAL)"), "", toUcs2("lib"), toUcs2(""), toUcs2(database)};
    constexpr std::size_t fixed = 94;
    ByteWriter offsets, data;
    for (const std::string& field : fields) {
        offsets.u16(static_cast<std::uint16_t>(fixed + data.size()));
        offsets.u16(static_cast<std::uint16_t>(field.size() / 2));
        data.raw(field);
    }
    ByteWriter out;
    out.u32(static_cast<std::uint32_t>(fixed + data.size()));
    out.u32(0x74000004);
    out.u32(4096);
    out.raw(std::string(24, '\0'));
    out.raw(offsets.bytes());
    out.raw(std::string(fixed - out.size(), '\0'));
    out.raw(data.bytes());
    return out.bytes();
}

// A SQL batch: ALL_HEADERS with the transaction descriptor of auto-commit, then the text.
inline std::string sqlBatch(const std::string& text) {
    using namespace vantrok::sim::tds;
    ByteWriter out;
    out.u32(22);
    out.u32(18);
    out.u16(2);
    out.raw(std::string(8, '\0'));
    out.u32(1);
    out.raw(toUcs2(text));
    return out.bytes();
}

// One message in one packet: header (type, end of message, length) and payload.
inline std::string packet(std::uint8_t type, const std::string& payload) {
    std::string bytes = {static_cast<char>(type), 1, 0, 0, 0, 0, 1, 0};
    bytes += payload;
    bytes[2] = static_cast<char>(bytes.size() >> 8);
    bytes[3] = static_cast<char>(bytes.size() & 0xFF);
    return bytes;
}

}  // namespace vantrok::testing
