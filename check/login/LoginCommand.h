#pragma once

#include <string>

#include "check/login/PasswordInput.h"
#include "db/StationLogin.h"
#include "import/Clock.h"
#include "import/Trace.h"

namespace vantrok::check {

inline constexpr const char* loginUsage =
    "usage: vantrok-check login set --user NAME [--password-stdin]\n"
    "       vantrok-check login show\n"
    "       vantrok-check login clear\n";

// What the command has to say: on standard output when it did what was
// asked (exit code 0), on standard error otherwise (1 failed, 2 bad arguments).
struct LoginOutcome {
    int exitCode = 0;
    std::string message;
};

// vantrok-check login: sets the station's own login once both databases
// accept it, shows its name and when it was set, or clears it. The password
// is read from input only, and said nowhere. argv[1] is "login".
LoginOutcome runLogin(int argc, const char* const* argv, db::LoginVault& vault, PasswordInput& input,
                      const Clock& clock, Trace& trace);

}  // namespace vantrok::check
