#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrok::sim::tds {

// The server's answer to a PRELOGIN ([MS-TDS] 2.2.6.5): its version, no
// encryption (ENCRYPT_NOT_SUP), no instance, no MARS. Throws ProtocolError on
// a PRELOGIN it cannot read, and when the client insists on encryption.
std::string preLoginReply(std::string_view request);

// What a LOGIN7 ([MS-TDS] 2.2.6.4) carries that the server acts on.
struct Login7 {
    std::uint32_t tdsVersion = 0;
    std::uint32_t packetSize = 0;
    std::string userName;
    std::string password;  // de-obfuscated
    std::string serverName;
    std::string database;
};

// Throws ProtocolError on a LOGIN7 it cannot read.
Login7 parseLogin7(std::string_view data);

// The password as LOGIN7 carries it: each byte's halves swapped, then XOR 0xA5.
std::string obfuscatePassword(std::string_view utf16le);

}  // namespace vantrok::sim::tds
