#pragma once

#include <optional>

#include "db/DatabaseError.h"
#include "db/StationLogin.h"

namespace vantrok::testing {

// A stored login the test sets, or an entry that cannot be read.
class FakeLoginStore final : public db::LoginStore {
public:
    std::optional<db::StationLogin> load() const override {
        ++loads;
        if (unreadable) throw db::unreadableStoredLogin("the entry was changed after it was stored");
        return login;
    }
    std::optional<db::StationLogin> login;
    bool unreadable = false;
    mutable int loads = 0;
};

}  // namespace vantrok::testing
