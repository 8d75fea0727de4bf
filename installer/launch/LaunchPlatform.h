#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrok::installer {

// Who the process that starts VANTROK runs as.
enum class Account {
    System,                 // LocalSystem: a deployment tool's service, in session 0 as a rule
    ElevatedAdministrator,  // an administrator's full token, e.g. after UAC
    User,                   // anyone else: already who VANTROK should run as
    Unknown,                // its token could not be read: it might be SYSTEM
};

struct Session {
    std::uint32_t id = 0;
    bool active = false;  // someone is at it; a session with a user that is not is disconnected
    std::wstring user;    // DOMAIN\name; empty while only the logon screen shows
    bool mine = false;    // its user is the account this process runs as
};

// The job object this process runs in, as far as its children are concerned.
struct Job {
    bool in = false;
    bool breakawayAllowed = false;  // JOB_OBJECT_LIMIT_BREAKAWAY_OK or _SILENT_BREAKAWAY_OK
};

// What starting a program asks of the operating system. The helper answers
// with Win32; the tests answer with fakes. Each start runs the one program the
// platform was made for, and says whether a process was created.
class LaunchPlatform {
public:
    virtual ~LaunchPlatform() = default;

    virtual Account account() = 0;
    virtual std::uint32_t ownSession() = 0;
    // The session attached to the physical console, if any.
    virtual std::optional<std::uint32_t> consoleSession() = 0;
    virtual std::vector<Session> sessions() = 0;
    virtual Job job() = 0;
    // Whether a shell (Explorer) runs on this process's own desktop.
    virtual bool shellRunning() = 0;

    // As the user logged on to that session, on its desktop. Without
    // breakaway the child joins this process's job.
    virtual bool startAsSessionUser(std::uint32_t session, bool breakaway) = 0;
    // With the shell as parent: its user, its token and its job, not ours.
    virtual bool startUnderShell() = 0;
    // As this process's own user.
    virtual bool startDirectly(bool breakaway) = 0;
    // A one-time scheduled task, run at once as that user in that session
    // with the user's own (unelevated) token, then deleted. The Task
    // Scheduler service starts it, so no job of ours holds it.
    virtual bool startByTask(std::uint32_t session, const std::wstring& user) = 0;
    // The same as this process's own account, with its rights.
    virtual bool startByTaskAsSelf() = 0;
};

}  // namespace vantrok::installer
