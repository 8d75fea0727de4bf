#pragma once

#include <optional>
#include <string>

namespace vantrok::db {

class DatabaseError;

// A station's own SQL Server login, used in place of the built-in sa.
struct StationLogin {
    std::string name;
    std::string password;
};

// Where the PC keeps the station's own login.
class LoginStore {
public:
    virtual ~LoginStore() = default;

    // The stored login; nullopt when none is stored (the built-in login is
    // used then). An entry that is there but cannot be read or was tampered
    // with throws DatabaseError: it must never quietly become sa.
    virtual std::optional<StationLogin> load() const = 0;
};

// The error of a stored login that cannot be read or was tampered with; the
// reason says which, never what the entry holds.
DatabaseError unreadableStoredLogin(const std::string& reason);

// The store of a program that keeps no login: always the built-in one.
class NoStoredLogin final : public LoginStore {
public:
    std::optional<StationLogin> load() const override { return std::nullopt; }
};

}  // namespace vantrok::db
