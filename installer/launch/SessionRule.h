#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "installer/launch/LaunchPlatform.h"

namespace vantrok::installer {

// The sessions VANTROK is started in. Where copies were ended (their
// sessions' ids in `ended`): those sessions that still have a user, and no
// other. Otherwise one: the console's when it has a user, else the first
// active session with a user, else the first disconnected one with a user,
// who is still logged on. Never session 0, where only services run.
std::vector<Session> TargetSessions(std::optional<std::uint32_t> console, const std::vector<Session>& sessions,
                                    const std::vector<std::uint32_t>& ended);

}  // namespace vantrok::installer
