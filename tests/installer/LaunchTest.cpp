#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/launch/Launch.h"

namespace vantrok::installer {
namespace {

// A machine as the installer finds it; records which start was asked for.
class FakeLaunchPlatform : public LaunchPlatform {
public:
    Account who = Account::ElevatedAdministrator;
    std::uint32_t own = 1;
    std::optional<std::uint32_t> console = 1;
    std::vector<Session> all = {{0, false, false}, {1, true, true}};
    bool shell = true;
    bool startsSucceed = true;

    std::vector<std::string> starts;

    Account account() override { return who; }
    std::uint32_t ownSession() override { return own; }
    std::optional<std::uint32_t> consoleSession() override { return console; }
    std::vector<Session> sessions() override { return all; }
    bool shellRunning() override { return shell; }

    bool startAsSessionUser(std::uint32_t session) override {
        starts.push_back("session " + std::to_string(session));
        return startsSucceed;
    }
    bool startUnderShell() override {
        starts.push_back("shell");
        return startsSucceed;
    }
    bool startDirectly() override {
        starts.push_back("directly");
        return startsSucceed;
    }
};

// A deployment tool's service: SYSTEM in session 0.
FakeLaunchPlatform AsSystemService() {
    FakeLaunchPlatform platform;
    platform.who = Account::System;
    platform.own = 0;
    platform.shell = false;
    return platform;
}

TEST(LaunchAsSystem, StartsAsTheUserAtTheConsole) {
    FakeLaunchPlatform platform = AsSystemService();
    EXPECT_EQ(Launch(platform), LaunchOutcome::Started);
    EXPECT_EQ(platform.starts, std::vector<std::string>{"session 1"});
}

TEST(LaunchAsSystem, NobodyLoggedOnStartsNothing) {
    FakeLaunchPlatform platform = AsSystemService();
    platform.console = 1;
    platform.all = {{0, false, false}, {1, true, false}};  // the logon screen
    EXPECT_EQ(Launch(platform), LaunchOutcome::NobodyLoggedOn);
    EXPECT_TRUE(platform.starts.empty());

    platform.console = std::nullopt;  // no console session at all (being switched)
    platform.all = {{0, false, false}};
    EXPECT_EQ(Launch(platform), LaunchOutcome::NobodyLoggedOn);
    EXPECT_TRUE(platform.starts.empty());
}

TEST(LaunchAsSystem, NeverInTheServicesSession) {
    FakeLaunchPlatform platform = AsSystemService();
    platform.console = 0;
    platform.all = {{0, true, true}};
    EXPECT_EQ(Launch(platform), LaunchOutcome::NobodyLoggedOn);
    EXPECT_TRUE(platform.starts.empty());
}

TEST(LaunchAsSystem, AConsoleWithoutItsUserFallsToARemoteUsersSession) {
    FakeLaunchPlatform platform = AsSystemService();
    platform.console = 1;
    platform.all = {{0, false, false}, {1, true, false}, {2, false, true}, {3, true, true}};
    EXPECT_EQ(Launch(platform), LaunchOutcome::Started);
    EXPECT_EQ(platform.starts, std::vector<std::string>{"session 3"})
        << "a disconnected session's user is not at it";
}

TEST(LaunchAsSystem, TheConsoleUserComesBeforeRemoteOnes) {
    FakeLaunchPlatform platform = AsSystemService();
    platform.console = 4;
    platform.all = {{0, false, false}, {2, true, true}, {4, true, true}};
    Launch(platform);
    EXPECT_EQ(platform.starts, std::vector<std::string>{"session 4"});
}

TEST(LaunchAsSystem, AFailedStartIsReported) {
    FakeLaunchPlatform platform = AsSystemService();
    platform.startsSucceed = false;  // the user logged off meanwhile
    EXPECT_EQ(Launch(platform), LaunchOutcome::StartFailed);
}

TEST(LaunchAsSystem, InteractiveSystemStillStartsAsTheUser) {
    FakeLaunchPlatform platform = AsSystemService();
    platform.own = 1;  // a SYSTEM process on the user's desktop
    platform.shell = true;
    Launch(platform);
    EXPECT_EQ(platform.starts, std::vector<std::string>{"session 1"});
}

TEST(LaunchAsAdministrator, StartsUnderTheShellNotElevated) {
    FakeLaunchPlatform platform;
    EXPECT_EQ(Launch(platform), LaunchOutcome::Started);
    EXPECT_EQ(platform.starts, std::vector<std::string>{"shell"});
}

TEST(LaunchAsAdministrator, WithoutAShellStartsNothing) {
    FakeLaunchPlatform platform;
    platform.shell = false;
    EXPECT_EQ(Launch(platform), LaunchOutcome::NobodyLoggedOn);
    EXPECT_TRUE(platform.starts.empty()) << "never a copy with the installer's full token";

    platform.shell = true;
    platform.own = 0;
    EXPECT_EQ(Launch(platform), LaunchOutcome::NobodyLoggedOn);
    EXPECT_TRUE(platform.starts.empty());
}

TEST(LaunchAsAdministrator, AFailedStartIsReportedNotRetriedElevated) {
    FakeLaunchPlatform platform;
    platform.startsSucceed = false;
    EXPECT_EQ(Launch(platform), LaunchOutcome::StartFailed);
    EXPECT_EQ(platform.starts, std::vector<std::string>{"shell"});
}

TEST(LaunchAsUser, StartsDirectlyButNotInTheServicesSession) {
    FakeLaunchPlatform platform;
    platform.who = Account::User;
    EXPECT_EQ(Launch(platform), LaunchOutcome::Started);
    EXPECT_EQ(platform.starts, std::vector<std::string>{"directly"});

    FakeLaunchPlatform service;
    service.who = Account::User;
    service.own = 0;  // a deployment tool's own service account
    EXPECT_EQ(Launch(service), LaunchOutcome::NobodyLoggedOn);
    EXPECT_TRUE(service.starts.empty());
}

TEST(LaunchAsUnknown, StartsNothingLestItBeSystem) {
    FakeLaunchPlatform platform;
    platform.who = Account::Unknown;
    EXPECT_EQ(Launch(platform), LaunchOutcome::NobodyLoggedOn);
    EXPECT_TRUE(platform.starts.empty());
}

}  // namespace
}  // namespace vantrok::installer
