#pragma once

#include <cstdint>
#include <optional>
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
    bool active = false;        // someone is at it: connected, not only logged on
    bool userLoggedOn = false;  // it has a user, not only the logon screen
};

// What starting VANTROK asks of the operating system. The helper answers
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
    // Whether a shell (Explorer) runs on this process's own desktop.
    virtual bool shellRunning() = 0;

    // As the user logged on to that session, on its desktop.
    virtual bool startAsSessionUser(std::uint32_t session) = 0;
    // As the shell's own user and token, as if started from the shell.
    virtual bool startUnderShell() = 0;
    // As this process's own user.
    virtual bool startDirectly() = 0;
};

}  // namespace vantrok::installer
