#pragma once

#include <string>

#include "db/StationLogin.h"

namespace vantrok::db {

// What a stored entry holds once unprotected: the login and when it was set.
struct LoginEntry {
    StationLogin login;
    std::string setAt;
};

// The entry as the bytes that get protected. The name and the time may hold
// no line break; the password may hold anything.
std::string encodeLoginEntry(const LoginEntry& entry);
// Throws std::invalid_argument for bytes that are not an entry of this form.
LoginEntry decodeLoginEntry(const std::string& bytes);

}  // namespace vantrok::db
