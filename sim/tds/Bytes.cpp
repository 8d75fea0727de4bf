#include "sim/tds/Bytes.h"

namespace vantrok::sim::tds {

std::uint8_t ByteReader::u8() { return static_cast<std::uint8_t>(take(1)[0]); }

std::uint16_t ByteReader::u16() {
    std::string_view b = take(2);
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[0]) | static_cast<std::uint8_t>(b[1]) << 8);
}

std::uint32_t ByteReader::u32() {
    std::uint32_t low = u16();
    return low | static_cast<std::uint32_t>(u16()) << 16;
}

std::uint64_t ByteReader::u64() {
    std::uint64_t low = u32();
    return low | static_cast<std::uint64_t>(u32()) << 32;
}

std::string_view ByteReader::take(std::size_t count) {
    if (count > remaining()) throw ProtocolError("the request ends early");
    std::string_view part = bytes_.substr(position_, count);
    position_ += count;
    return part;
}

std::string ByteReader::ucs2(std::size_t characters) { return fromUcs2(take(characters * 2)); }

void ByteReader::seek(std::size_t position) {
    if (position > bytes_.size()) throw ProtocolError("an offset points past the request");
    position_ = position;
}

void ByteWriter::u16(std::uint16_t v) {
    u8(static_cast<std::uint8_t>(v));
    u8(static_cast<std::uint8_t>(v >> 8));
}

void ByteWriter::u32(std::uint32_t v) {
    u16(static_cast<std::uint16_t>(v));
    u16(static_cast<std::uint16_t>(v >> 16));
}

void ByteWriter::u64(std::uint64_t v) {
    u32(static_cast<std::uint32_t>(v));
    u32(static_cast<std::uint32_t>(v >> 32));
}

void ByteWriter::ucs2(std::string_view text) { bytes_ += toUcs2(text); }

void ByteWriter::bVarChar(std::string_view text) {
    std::string wide = toUcs2(text);
    u8(static_cast<std::uint8_t>(wide.size() / 2));
    raw(wide);
}

void ByteWriter::usVarChar(std::string_view text) {
    std::string wide = toUcs2(text);
    u16(static_cast<std::uint16_t>(wide.size() / 2));
    raw(wide);
}

namespace {

void putUnit(std::string& out, std::uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

void putUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

// Malformed UTF-8 bytes travel as the characters of the same number
// (Latin-1), so nothing the station stores is lost on the way.
std::string toUcs2(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    for (std::size_t i = 0; i < utf8.size();) {
        auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(utf8[k]); };
        std::uint32_t cp = byte(i);
        std::size_t length = 1;
        if (cp >= 0xF0 && cp < 0xF5) length = 4;
        else if (cp >= 0xE0) length = cp < 0xF0 ? 3 : 1;
        else if (cp >= 0xC2) length = 2;
        bool wellFormed = length > 1 && i + length <= utf8.size();
        for (std::size_t k = 1; wellFormed && k < length; ++k) wellFormed = (byte(i + k) & 0xC0) == 0x80;
        if (wellFormed) {
            cp &= 0xFF >> (length + 1);
            for (std::size_t k = 1; k < length; ++k) cp = cp << 6 | (byte(i + k) & 0x3F);
        } else {
            length = 1;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            putUnit(out, 0xD800 | cp >> 10);
            putUnit(out, 0xDC00 | (cp & 0x3FF));
        } else {
            putUnit(out, cp);
        }
        i += length;
    }
    return out;
}

std::string fromUcs2(std::string_view utf16le) {
    std::string out;
    out.reserve(utf16le.size() / 2);
    auto unit = [&](std::size_t k) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(utf16le[k]) |
                                          static_cast<std::uint8_t>(utf16le[k + 1]) << 8);
    };
    for (std::size_t i = 0; i + 1 < utf16le.size(); i += 2) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < utf16le.size()) {
            std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        putUtf8(out, cp);
    }
    return out;
}

}  // namespace vantrok::sim::tds
