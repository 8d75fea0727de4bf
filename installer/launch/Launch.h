#pragma once

#include <cstdint>
#include <vector>

#include "installer/launch/LaunchPlatform.h"

namespace vantrok::installer {

// How VANTROK is started for one session's user: always as that user, never
// as SYSTEM and never elevated, and never inside the caller's job object,
// which a deployment tool closes (killing what is in it) when the installer
// ends.
enum class Road {
    AsSessionUser,              // SYSTEM, in no job: with the token of the session's user
    AsSessionUserBreakingAway,  // the same, leaving the job (the job allows it)
    UnderShell,                 // an elevated administrator at its own desktop: the shell's child
    Directly,                   // the user already, in no job: as ourselves
    DirectlyBreakingAway,       // the same, leaving the job
    ByTask,                     // a one-time scheduled task as the session's user
};

// The roads to try for the user of `target`, best first; the later ones are
// taken when an earlier start fails (a nested job refusing breakaway, the
// shell gone). Empty when no road fits.
std::vector<Road> RoadsFor(Account account, Job job, std::uint32_t ownSession, bool shellRunning,
                           const Session& target, bool taskAllowed);

struct LaunchOptions {
    std::vector<std::uint32_t> ended;  // sessions whose copies the installer ended
    bool taskAllowed = true;           // false: never through the Task Scheduler
};

enum class LaunchOutcome {
    Started,         // in every session it was meant for
    NobodyLoggedOn,  // nothing started: the Startup shortcut does it at the next logon
    StartFailed,     // some user it was meant for has no VANTROK now
};

LaunchOutcome Launch(LaunchPlatform& platform, const LaunchOptions& options);

// Runs the platform's program outside the caller's job, as this account:
// breaking away where the job allows it, else as a one-time task. Whether
// it started.
bool Detach(LaunchPlatform& platform);

}  // namespace vantrok::installer
