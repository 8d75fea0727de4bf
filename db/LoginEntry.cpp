#include "db/LoginEntry.h"

#include <stdexcept>
#include <string_view>

namespace vantrok::db {

namespace {

// Tells an entry of this form from anything else the bytes could be.
constexpr std::string_view header = "VANTROK station login 1\n";

}  // namespace

std::string encodeLoginEntry(const LoginEntry& entry) {
    if (entry.login.name.empty() || entry.login.name.find_first_of("\r\n") != std::string::npos ||
        entry.setAt.find_first_of("\r\n") != std::string::npos)
        throw std::invalid_argument("a login name or time with a line break");
    return std::string(header) + entry.setAt + "\n" + entry.login.name + "\n" + entry.login.password;
}

LoginEntry decodeLoginEntry(const std::string& bytes) {
    if (bytes.compare(0, header.size(), header) != 0) throw std::invalid_argument("not a station login entry");
    const std::size_t timeEnd = bytes.find('\n', header.size());
    const std::size_t nameEnd = timeEnd == std::string::npos ? std::string::npos : bytes.find('\n', timeEnd + 1);
    if (nameEnd == std::string::npos || nameEnd == timeEnd + 1) throw std::invalid_argument("an incomplete entry");
    LoginEntry entry;
    entry.setAt = bytes.substr(header.size(), timeEnd - header.size());
    entry.login.name = bytes.substr(timeEnd + 1, nameEnd - timeEnd - 1);
    entry.login.password = bytes.substr(nameEnd + 1);
    return entry;
}

}  // namespace vantrok::db
