#pragma once

#include <memory>

#include "db/StationLogin.h"

namespace vantrok::db {

// The station login this PC keeps for both programs. On Windows: protected
// with DPAPI for the machine, in the machine's registry under VANTROK's key.
// Elsewhere nothing is ever stored, so the built-in login is used.
std::unique_ptr<LoginVault> machineLoginVault();

}  // namespace vantrok::db
