#pragma once

#include <functional>
#include <string>

#include "db/DatabaseError.h"

namespace vantrok::test {

// The SQLSTATE the action failed with, "" for an error without records, or
// "no error".
inline std::string stateOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const db::DatabaseError& e) {
        return e.primary() ? e.primary()->sqlstate : "";
    }
    return "no error";
}

}  // namespace vantrok::test
