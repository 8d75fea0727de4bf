#include "installer/launch/Launch.h"

#include <algorithm>

namespace vantrok::installer {
namespace {

// Session 0 holds services only: nobody ever sees a program there.
constexpr std::uint32_t ServicesSession = 0;

bool HasUserAtIt(const Session& session) {
    return session.id != ServicesSession && session.active && session.userLoggedOn;
}

}  // namespace

std::optional<std::uint32_t> InteractiveUserSession(std::optional<std::uint32_t> console,
                                                    const std::vector<Session>& sessions) {
    if (console) {
        auto at = std::find_if(sessions.begin(), sessions.end(),
                               [&](const Session& s) { return s.id == *console; });
        if (at != sessions.end() && HasUserAtIt(*at)) return at->id;
    }
    auto first = std::find_if(sessions.begin(), sessions.end(), HasUserAtIt);
    if (first != sessions.end()) return first->id;
    return std::nullopt;
}

Plan PlanLaunch(LaunchPlatform& platform) {
    switch (platform.account()) {
        case Account::System:
            if (auto session = InteractiveUserSession(platform.consoleSession(), platform.sessions()))
                return {Way::AsSessionUser, *session};
            return {};
        case Account::ElevatedAdministrator:
            // Started from the installer it would inherit the full token; the
            // shell's is the one the user's logon gives it.
            if (platform.ownSession() != ServicesSession && platform.shellRunning())
                return {Way::UnderShell};
            return {};
        case Account::User:
            if (platform.ownSession() != ServicesSession) return {Way::Directly};
            return {};
        case Account::Unknown:
            return {};
    }
    return {};
}

LaunchOutcome Launch(LaunchPlatform& platform) {
    Plan plan = PlanLaunch(platform);
    bool started = false;
    switch (plan.way) {
        case Way::AsSessionUser: started = platform.startAsSessionUser(plan.session); break;
        case Way::UnderShell: started = platform.startUnderShell(); break;
        case Way::Directly: started = platform.startDirectly(); break;
        case Way::Not: return LaunchOutcome::NobodyLoggedOn;
    }
    return started ? LaunchOutcome::Started : LaunchOutcome::StartFailed;
}

}  // namespace vantrok::installer
