#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/launch/Launch.h"

namespace vantrok::installer {
namespace {

// What came of a start: who runs the program, where, and whether the
// caller's job (closed, with everything in it, when the installer ends)
// holds it.
struct Started {
    std::wstring user;
    std::uint32_t session = 0;
    bool inCallersJob = false;
    bool elevated = false;
    bool operator==(const Started&) const = default;
};

// A Windows machine that follows the documented job rules: a child without
// breakaway joins its creator's job, and all processes of a job share one
// session; asking to break away from a job that does not allow it (or from
// an outer job that does not) fails the start; a child of the shell is in
// the shell's job (none); a scheduled task is started by its service.
class FakeWindows : public LaunchPlatform {
public:
    Account who = Account::ElevatedAdministrator;
    std::wstring me = L"PC\\clerk";
    std::uint32_t own = 1;
    std::optional<std::uint32_t> console = 1;
    std::vector<Session> all = {{0, false, L""}, {1, true, L"PC\\clerk", true}};
    Job caller;
    bool outerJobRefusesBreakaway = false;
    bool shell = true;
    bool taskSchedulerRuns = true;
    bool explorerOpens = true;

    std::vector<Started> processes;
    int tasks = 0;

    Account account() override { return who; }
    std::uint32_t ownSession() override { return own; }
    std::optional<std::uint32_t> consoleSession() override { return console; }
    std::vector<Session> sessions() override { return all; }
    Job job() override { return caller; }
    bool shellRunning() override { return shell; }

    bool startAsSessionUser(std::uint32_t session, bool breakaway) override {
        if (who != Account::System) return false;  // WTSQueryUserToken is SYSTEM's only
        return Create({UserOf(session), session, false, false}, breakaway);
    }
    bool startUnderShell() override {
        if (!shell || !explorerOpens) return false;
        processes.push_back({UserOf(own), own, false, false});
        return true;
    }
    bool startDirectly(bool breakaway) override {
        return Create({me, own, false, who != Account::User}, breakaway);
    }
    bool startByTask(std::uint32_t session, const std::wstring& user) override {
        ++tasks;
        if (!taskSchedulerRuns || user.empty() || UserOf(session) != user) return false;
        processes.push_back({user, session, false, false});
        return true;
    }
    bool startByTaskAsSelf() override {
        ++tasks;
        if (!taskSchedulerRuns) return false;
        processes.push_back({me, own, false, who != Account::User});
        return true;
    }

private:
    std::wstring UserOf(std::uint32_t session) const {
        for (const Session& s : all)
            if (s.id == session) return s.user;
        return L"";
    }

    bool Create(Started child, bool breakaway) {
        if (caller.in && breakaway && (!caller.breakawayAllowed || outerJobRefusesBreakaway)) return false;
        child.inCallersJob = caller.in && !breakaway;
        if (child.inCallersJob && child.session != own) return false;
        processes.push_back(child);
        return true;
    }
};

// A deployment tool's service: SYSTEM in session 0, the clerk at the console.
FakeWindows AsSystemService() {
    FakeWindows windows;
    windows.who = Account::System;
    windows.me = L"NT AUTHORITY\\SYSTEM";
    windows.own = 0;
    windows.shell = false;
    windows.all = {{0, false, L""}, {1, true, L"PC\\clerk"}};
    return windows;
}

const Started ClerkAtConsole{L"PC\\clerk", 1, false, false};

TEST(LaunchAsSystem, OutsideAnyJobStartsAsTheConsoleUser) {
    FakeWindows windows = AsSystemService();
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::Started);
    EXPECT_EQ(windows.processes, std::vector{ClerkAtConsole});
}

TEST(LaunchAsSystem, LeavesAJobThatAllowsBreakaway) {
    FakeWindows windows = AsSystemService();
    windows.caller = {true, true};
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::Started);
    EXPECT_EQ(windows.processes, std::vector{ClerkAtConsole});
    EXPECT_EQ(windows.tasks, 0);
}

TEST(LaunchAsSystem, AJobRefusingBreakawayInAnotherSessionGoesThroughATask) {
    FakeWindows windows = AsSystemService();
    windows.caller = {true, false};
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::Started);
    EXPECT_EQ(windows.processes, std::vector{ClerkAtConsole});

    FakeWindows nested = AsSystemService();  // the job allows it, an outer one does not
    nested.caller = {true, true};
    nested.outerJobRefusesBreakaway = true;
    EXPECT_EQ(Launch(nested, {}), LaunchOutcome::Started);
    EXPECT_EQ(nested.processes, std::vector{ClerkAtConsole});
    EXPECT_EQ(nested.tasks, 1);
}

TEST(LaunchAsSystem, AJobInTheUsersOwnSessionIsNotJoined) {
    FakeWindows windows = AsSystemService();
    windows.own = 1;  // SYSTEM on the clerk's desktop, where a start into the job would succeed
    windows.shell = true;
    windows.caller = {true, false};
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::Started);
    EXPECT_EQ(windows.processes, std::vector{ClerkAtConsole});
}

TEST(LaunchAsSystem, WithoutBreakawayOrTaskSchedulerItFails) {
    FakeWindows windows = AsSystemService();
    windows.caller = {true, false};
    windows.taskSchedulerRuns = false;
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::StartFailed);
    EXPECT_TRUE(windows.processes.empty());

    FakeWindows breakawayOnly = AsSystemService();
    breakawayOnly.caller = {true, false};
    EXPECT_EQ(Launch(breakawayOnly, {.ended = {}, .taskAllowed = false}), LaunchOutcome::StartFailed);
    EXPECT_EQ(breakawayOnly.tasks, 0);
}

TEST(LaunchAsSystem, NobodyLoggedOnStartsNothing) {
    FakeWindows windows = AsSystemService();
    windows.all = {{0, false, L""}, {1, true, L""}};  // the logon screen
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::NobodyLoggedOn);
    windows.console = std::nullopt;  // being switched
    windows.all = {{0, false, L"NT AUTHORITY\\SYSTEM"}};
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::NobodyLoggedOn);
    EXPECT_TRUE(windows.processes.empty());
    EXPECT_EQ(windows.tasks, 0);
}

TEST(LaunchAsAdministrator, StartsUnderTheShellWhateverTheJob) {
    for (Job job : {Job{false, false}, Job{true, false}, Job{true, true}}) {
        FakeWindows windows;
        windows.caller = job;
        EXPECT_EQ(Launch(windows, {}), LaunchOutcome::Started);
        EXPECT_EQ(windows.processes, std::vector{ClerkAtConsole}) << "never with the installer's full token";
    }
}

TEST(LaunchAsAdministrator, AnotherAccountsCredentialsStartAsTheClerkByTask) {
    FakeWindows windows;
    windows.me = L"PC\\technician";  // typed into UAC at the clerk's desktop
    windows.all = {{0, false, L""}, {1, true, L"PC\\clerk", false}};
    windows.caller = {true, true};
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::Started);
    EXPECT_EQ(windows.processes, std::vector{ClerkAtConsole});
    EXPECT_EQ(windows.tasks, 1);

    windows.processes.clear();
    windows.taskSchedulerRuns = false;
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::StartFailed);
    EXPECT_TRUE(windows.processes.empty()) << "never as the technician";
}

TEST(LaunchAsAdministrator, AShellThatCannotBeOpenedFallsBackToTheTask) {
    FakeWindows windows;
    windows.explorerOpens = false;
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::Started);
    EXPECT_EQ(windows.processes, std::vector{ClerkAtConsole});

    FakeWindows noShell;
    noShell.shell = false;
    noShell.taskSchedulerRuns = false;
    EXPECT_EQ(Launch(noShell, {}), LaunchOutcome::StartFailed) << "a user is logged on: not a quiet success";
}

TEST(LaunchAsUser, StartsAsItselfOutsideTheJob) {
    FakeWindows windows;
    windows.who = Account::User;
    const Started self{L"PC\\clerk", 1, false, false};
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::Started);
    EXPECT_EQ(windows.processes, std::vector{self});

    for (Job job : {Job{true, true}, Job{true, false}}) {
        FakeWindows inJob;
        inJob.who = Account::User;
        inJob.caller = job;
        EXPECT_EQ(Launch(inJob, {}), LaunchOutcome::Started);
        EXPECT_EQ(inJob.processes, std::vector{self});
    }
}

TEST(LaunchAsUnknown, RunsOnlyAsTheSessionsUser) {
    FakeWindows windows;
    windows.who = Account::Unknown;
    EXPECT_EQ(Launch(windows, {}), LaunchOutcome::Started);
    EXPECT_EQ(windows.processes, std::vector{ClerkAtConsole});
    EXPECT_EQ(windows.tasks, 1);
}

TEST(LaunchWhereEnded, StartsInEachEndedSessionOnly) {
    FakeWindows windows = AsSystemService();
    windows.all = {{0, false, L""}, {1, true, L"PC\\clerk"}, {2, false, L"PC\\manager"}, {3, true, L"PC\\other"}};
    EXPECT_EQ(Launch(windows, {.ended = {2, 3}}), LaunchOutcome::Started);
    EXPECT_EQ(windows.processes, (std::vector<Started>{{L"PC\\manager", 2}, {L"PC\\other", 3}}));
}

TEST(LaunchWhereEnded, OneFailedSessionIsAFailure) {
    FakeWindows windows;
    windows.who = Account::ElevatedAdministrator;
    windows.taskSchedulerRuns = false;  // the other session needs the task
    windows.all = {{0, false, L""}, {1, true, L"PC\\clerk", true}, {2, false, L"PC\\manager"}};
    EXPECT_EQ(Launch(windows, {.ended = {1, 2}}), LaunchOutcome::StartFailed);
    EXPECT_EQ(windows.processes, std::vector{ClerkAtConsole}) << "the others are still started";
}

TEST(DetachFromJob, BreaksAwayElseRunsAsATaskOfItsOwnAccount) {
    FakeWindows free = AsSystemService();
    EXPECT_TRUE(Detach(free));
    FakeWindows allowed = AsSystemService();
    allowed.caller = {true, true};
    EXPECT_TRUE(Detach(allowed));
    FakeWindows refused = AsSystemService();
    refused.caller = {true, false};
    EXPECT_TRUE(Detach(refused));
    EXPECT_EQ(refused.tasks, 1);
    for (FakeWindows* windows : {&free, &allowed, &refused}) {
        ASSERT_EQ(windows->processes.size(), 1U);
        EXPECT_FALSE(windows->processes[0].inCallersJob);
        EXPECT_EQ(windows->processes[0].user, L"NT AUTHORITY\\SYSTEM");
    }
    refused.taskSchedulerRuns = false;
    EXPECT_FALSE(Detach(refused));
}

}  // namespace
}  // namespace vantrok::installer
