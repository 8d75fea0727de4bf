#pragma once

#include <optional>
#include <string>

#include "db/DatabaseError.h"
#include "db/StationLogin.h"

namespace vantrok::testing {

// A stored login in memory, or an entry that cannot be read.
class FakeLoginVault final : public db::LoginVault {
public:
    std::optional<db::StationLogin> load() const override {
        ++loads;
        if (unreadable) throw db::unreadableStoredLogin("the entry was changed after it was stored");
        return login;
    }
    std::optional<db::StoredLoginInfo> info() const override {
        if (!load()) return std::nullopt;
        return db::StoredLoginInfo{login->name, setAt};
    }
    void store(const db::StationLogin& stored, const std::string& at) override {
        login = stored;
        setAt = at;
        unreadable = false;
    }
    void clear() override {
        login.reset();
        unreadable = false;
    }

    std::optional<db::StationLogin> login;
    std::string setAt;
    bool unreadable = false;
    mutable int loads = 0;
};

}  // namespace vantrok::testing
