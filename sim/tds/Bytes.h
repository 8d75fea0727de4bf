#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantrok::sim::tds {

// A request the endpoint cannot read or take: answered with SQL Server's
// error of that number and text, never a hang.
struct ProtocolError : std::runtime_error {
    explicit ProtocolError(const std::string& what, std::int32_t number = 8009)
        : std::runtime_error(what), number(number) {}
    std::int32_t number;
};

// A parameter value its own TYPE_INFO does not allow, such as a decimal with
// more digits than its precision.
struct InvalidValue : std::runtime_error {
    explicit InvalidValue(const std::string& typeName) : std::runtime_error(typeName) {}
};

// Little-endian reading of a received message ([MS-TDS] 2.2.5.1: integers are
// little-endian unless stated otherwise).
class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::uint64_t u64();
    std::string_view take(std::size_t count);
    // UTF-16LE text of the given number of characters, as UTF-8.
    std::string ucs2(std::size_t characters);
    std::string bVarChar() { return ucs2(u8()); }
    std::string usVarChar() { return ucs2(u16()); }

    std::size_t position() const { return position_; }
    std::size_t remaining() const { return bytes_.size() - position_; }
    void seek(std::size_t position);

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

// Little-endian writing of an outgoing token stream.
class ByteWriter {
public:
    void u8(std::uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void u64(std::uint64_t v);
    void raw(std::string_view bytes) { bytes_.append(bytes); }
    // UTF-8 text as UTF-16LE, without a length.
    void ucs2(std::string_view text);
    // Text with a length in characters of one (B_VARCHAR) or two (US_VARCHAR) bytes.
    void bVarChar(std::string_view text);
    void usVarChar(std::string_view text);

    std::string& bytes() { return bytes_; }
    const std::string& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

private:
    std::string bytes_;
};

// UTF-8 and UTF-16LE, the wire's text form.
std::string toUcs2(std::string_view utf8);
std::string fromUcs2(std::string_view utf16le);

}  // namespace vantrok::sim::tds
