#include "sim/tds/Login.h"

#include <vector>

#include "sim/tds/Bytes.h"

namespace vantrok::sim::tds {

namespace {

enum : std::uint8_t { Version = 0, Encryption = 1, InstOpt = 2, ThreadId = 3, Mars = 4, Terminator = 0xFF };
enum : std::uint8_t { EncryptOff = 0, EncryptOn = 1, EncryptNotSupported = 2, EncryptRequired = 3 };

// SQL Server 2022's version as the pre-login reports it: major, minor, build (big-endian), sub-build.
constexpr std::uint8_t serverVersion[6] = {16, 0, 0x10, 0x7A, 0, 0};

std::uint8_t swapHalves(std::uint8_t b) { return static_cast<std::uint8_t>(b << 4 | b >> 4); }

// The encryption table of [MS-TDS] 2.2.6.5, from the server's side.
struct Negotiated {
    std::uint8_t answer;
    Protection protection;
};

Negotiated negotiate(std::uint8_t client, EncryptionPolicy policy) {
    switch (policy) {
    case EncryptionPolicy::Refuse: return {EncryptNotSupported, Protection::None};
    case EncryptionPolicy::Force: return {EncryptRequired, Protection::Session};
    case EncryptionPolicy::Offer: break;
    }
    switch (client) {
    case EncryptOff: return {EncryptOff, Protection::LoginOnly};
    case EncryptNotSupported: return {EncryptNotSupported, Protection::None};
    default: return {EncryptOn, Protection::Session};
    }
}

}  // namespace

PreLoginAnswer answerPreLogin(std::string_view request, EncryptionPolicy policy) {
    ByteReader in(request);
    // A client that names no encryption cannot take part in TLS.
    std::uint8_t client = EncryptNotSupported;
    // Options: token, then big-endian offset and length, up to the terminator.
    for (std::uint8_t token = in.u8(); token != Terminator; token = in.u8()) {
        const std::size_t offset = static_cast<std::size_t>(in.u8()) << 8 | in.u8();
        const std::size_t length = static_cast<std::size_t>(in.u8()) << 8 | in.u8();
        if (offset + length > request.size()) throw ProtocolError("a PRELOGIN option points past the message");
        if (token == Encryption && length >= 1) {
            client = static_cast<std::uint8_t>(request[offset]);
            if (client > EncryptRequired) throw ProtocolError("a PRELOGIN encryption option of " + std::to_string(client));
        }
    }
    const Negotiated negotiated = negotiate(client, policy);
    struct Option {
        std::uint8_t token;
        std::string value;
    };
    const std::vector<Option> options = {
        {Version, std::string(reinterpret_cast<const char*>(serverVersion), sizeof serverVersion)},
        {Encryption, std::string(1, static_cast<char>(negotiated.answer))},
        {InstOpt, std::string(1, '\0')},
        {ThreadId, ""},
        {Mars, std::string(1, '\0')},
    };
    std::string header, data;
    std::size_t offset = options.size() * 5 + 1;
    for (const Option& option : options) {
        header.push_back(static_cast<char>(option.token));
        header.push_back(static_cast<char>((offset + data.size()) >> 8));
        header.push_back(static_cast<char>((offset + data.size()) & 0xFF));
        header.push_back(static_cast<char>(option.value.size() >> 8));
        header.push_back(static_cast<char>(option.value.size() & 0xFF));
        data += option.value;
    }
    header.push_back(static_cast<char>(Terminator));
    return {header + data, negotiated.protection};
}

Login7 parseLogin7(std::string_view data) {
    ByteReader in(data);
    const std::uint32_t length = in.u32();
    if (length > data.size()) throw ProtocolError("a LOGIN7 longer than its message");
    Login7 login;
    login.tdsVersion = in.u32();
    login.packetSize = in.u32();
    in.seek(36);  // past the client's version, process, connection, flags, time zone and LCID
    // Offset and length (in characters) of each variable field, in this order.
    struct Field {
        std::uint16_t offset;
        std::uint16_t characters;
    };
    auto field = [&] { return Field{in.u16(), in.u16()}; };
    field();  // host name
    const Field user = field(), password = field();
    field();  // application name
    const Field server = field();
    field();  // extension
    field();  // client library name
    field();  // language: the login's own, us_english, applies
    const Field database = field();
    auto text = [&](Field f) {
        ByteReader at(data);
        at.seek(f.offset);
        return at.ucs2(f.characters);
    };
    login.userName = text(user);
    login.serverName = text(server);
    login.database = text(database);
    ByteReader at(data);
    at.seek(password.offset);
    std::string plain(at.take(password.characters * 2u));
    for (char& c : plain) c = static_cast<char>(swapHalves(static_cast<std::uint8_t>(c) ^ 0xA5));
    login.password = fromUcs2(plain);
    return login;
}

std::string obfuscatePassword(std::string_view utf16le) {
    std::string out(utf16le);
    for (char& c : out) c = static_cast<char>(swapHalves(static_cast<std::uint8_t>(c)) ^ 0xA5);
    return out;
}

}  // namespace vantrok::sim::tds
