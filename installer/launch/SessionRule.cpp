#include "installer/launch/SessionRule.h"

#include <algorithm>

namespace vantrok::installer {
namespace {

constexpr std::uint32_t ServicesSession = 0;

bool HasUser(const Session& session) { return session.id != ServicesSession && !session.user.empty(); }

bool Listed(const std::vector<std::uint32_t>& ids, std::uint32_t id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

std::vector<Session> TargetSessions(std::optional<std::uint32_t> console, const std::vector<Session>& sessions,
                                    const std::vector<std::uint32_t>& ended) {
    std::vector<Session> targets;
    if (!ended.empty()) {
        std::vector<std::uint32_t> taken;
        for (const Session& session : sessions) {
            if (HasUser(session) && Listed(ended, session.id) && !Listed(taken, session.id)) {
                targets.push_back(session);
                taken.push_back(session.id);
            }
        }
        return targets;
    }
    auto pick = [&](auto&& fits) -> std::vector<Session> {
        auto at = std::find_if(sessions.begin(), sessions.end(), fits);
        if (at == sessions.end()) return {};
        return {*at};
    };
    if (console) {
        auto atConsole = pick([&](const Session& s) { return s.id == *console && HasUser(s); });
        if (!atConsole.empty()) return atConsole;
    }
    auto active = pick([](const Session& s) { return HasUser(s) && s.active; });
    if (!active.empty()) return active;
    return pick(HasUser);
}

}  // namespace vantrok::installer
