#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/tds/Channel.h"
#include "sim/tds/EncryptionSetting.h"

namespace vantrok::sim::tds {

// The server's answer to a PRELOGIN ([MS-TDS] 2.2.6.5): its version, its
// encryption as `policy` and the client's ask decide, no instance, no MARS;
// and what the TLS that follows must cover. A client that asks for
// encryption a refusing server does not offer, or that cannot encrypt where
// the server requires it, is told so and decides itself to leave ([MS-TDS]
// 2.2.6.5, the encryption table). Throws ProtocolError on a PRELOGIN it
// cannot read.
struct PreLoginAnswer {
    std::string reply;
    Protection protection = Protection::None;
};
PreLoginAnswer answerPreLogin(std::string_view request, EncryptionPolicy policy);

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
