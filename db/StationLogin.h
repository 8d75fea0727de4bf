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
bool isUnreadableStoredLogin(const DatabaseError& error);

// The stored login's name and when it was set ("yyyy-mm-dd hh:mm:ss", local time).
struct StoredLoginInfo {
    std::string name;
    std::string setAt;
};

// A store the station tool may also change. Changing it needs an administrator.
class LoginVault : public LoginStore {
public:
    // Replaces the stored login. Throws std::runtime_error when it cannot.
    virtual void store(const StationLogin& login, const std::string& setAt) = 0;
    // nullopt when none is stored; throws DatabaseError as load() does.
    virtual std::optional<StoredLoginInfo> info() const = 0;
    // Back to the built-in login; nothing when none is stored. Throws std::runtime_error.
    virtual void clear() = 0;
};

// The store of a program that keeps no login: always the built-in one.
class NoStoredLogin final : public LoginStore {
public:
    std::optional<StationLogin> load() const override { return std::nullopt; }
};

}  // namespace vantrok::db
