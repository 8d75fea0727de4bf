#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "installer/launch/LaunchPlatform.h"

namespace vantrok::installer {

// How VANTROK is started once installed: always as the interactive user,
// never as SYSTEM and never in session 0, where nobody would see its
// messages and its copy would keep the logon's copy from running.
enum class Way {
    AsSessionUser,  // SYSTEM: with the token of the user logged on to a session
    UnderShell,     // an elevated administrator: with the shell's, unelevated, token
    Directly,       // already the user: as ourselves
    Not,            // nobody to start it for: the Startup shortcut does it at the next logon
};

struct Plan {
    Way way = Way::Not;
    std::uint32_t session = 0;  // for AsSessionUser
};

enum class LaunchOutcome {
    Started,
    NobodyLoggedOn,  // nothing started
    StartFailed,
};

// The session whose user VANTROK belongs to: the console's when a user is at
// it, otherwise the first other active session with a user.
std::optional<std::uint32_t> InteractiveUserSession(std::optional<std::uint32_t> console,
                                                    const std::vector<Session>& sessions);

Plan PlanLaunch(LaunchPlatform& platform);
LaunchOutcome Launch(LaunchPlatform& platform);

}  // namespace vantrok::installer
