#include "installer/launch/Launch.h"

#include "installer/launch/SessionRule.h"

namespace vantrok::installer {
namespace {

// Without breakaway a child stays in the job; with it, a job that does not
// allow it makes the start fail. A child of the shell is in the shell's job.
std::vector<Road> PreferredRoads(Account account, Job job, std::uint32_t ownSession, bool shellRunning,
                                 const Session& target) {
    bool ownDesktop = target.id == ownSession && target.mine;
    switch (account) {
        case Account::System:
            if (!job.in) return {Road::AsSessionUser, Road::ByTask};
            // All processes of a job share one session: only a child that
            // leaves the job may start in the user's.
            if (job.breakawayAllowed) return {Road::AsSessionUserBreakingAway, Road::ByTask};
            return {Road::ByTask};
        case Account::ElevatedAdministrator:
            // Another account's credentials typed into UAC cannot open the
            // session user's shell; the task runs as that user.
            if (ownDesktop && shellRunning) return {Road::UnderShell, Road::ByTask};
            return {Road::ByTask};
        case Account::User:
            if (!ownDesktop) return {Road::ByTask};
            if (!job.in) return {Road::Directly, Road::ByTask};
            if (job.breakawayAllowed) return {Road::DirectlyBreakingAway, Road::ByTask};
            return {Road::ByTask};
        case Account::Unknown:
            // It might be SYSTEM: only a road that runs as the session's user.
            return {Road::ByTask};
    }
    return {};
}

bool Take(LaunchPlatform& platform, Road road, const Session& target) {
    switch (road) {
        case Road::AsSessionUser: return platform.startAsSessionUser(target.id, false);
        case Road::AsSessionUserBreakingAway: return platform.startAsSessionUser(target.id, true);
        case Road::UnderShell: return platform.startUnderShell();
        case Road::Directly: return platform.startDirectly(false);
        case Road::DirectlyBreakingAway: return platform.startDirectly(true);
        case Road::ByTask: return platform.startByTask(target.id, target.user);
    }
    return false;
}

}  // namespace

std::vector<Road> RoadsFor(Account account, Job job, std::uint32_t ownSession, bool shellRunning,
                           const Session& target, bool taskAllowed) {
    std::vector<Road> roads = PreferredRoads(account, job, ownSession, shellRunning, target);
    if (!taskAllowed) std::erase(roads, Road::ByTask);
    return roads;
}

LaunchOutcome Launch(LaunchPlatform& platform, const LaunchOptions& options) {
    std::vector<Session> targets = TargetSessions(platform.consoleSession(), platform.sessions(), options.ended);
    if (targets.empty()) return LaunchOutcome::NobodyLoggedOn;
    Account account = platform.account();
    Job job = platform.job();
    std::uint32_t ownSession = platform.ownSession();
    bool shellRunning = platform.shellRunning();
    bool everyoneStarted = true;
    for (const Session& target : targets) {
        bool started = false;
        for (Road road : RoadsFor(account, job, ownSession, shellRunning, target, options.taskAllowed)) {
            started = Take(platform, road, target);
            if (started) break;
        }
        everyoneStarted = everyoneStarted && started;
    }
    return everyoneStarted ? LaunchOutcome::Started : LaunchOutcome::StartFailed;
}

bool Detach(LaunchPlatform& platform) {
    Job job = platform.job();
    if (!job.in) return platform.startDirectly(false);
    if (job.breakawayAllowed && platform.startDirectly(true)) return true;
    return platform.startByTaskAsSelf();
}

}  // namespace vantrok::installer
