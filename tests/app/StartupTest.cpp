#include <gtest/gtest.h>

#include "FakeStartupPlatform.h"
#include "app/ConnectRetry.h"
#include "app/Startup.h"

namespace vantrok::app::test {
namespace {

using Calls = std::vector<std::string>;

class StartupTest : public ::testing::Test {
protected:
    StartupTest() { platform.clock = FakeStartupPlatform::at(2016, 11, 25, 10, 15, 42, 300); }
    FakeStartupPlatform platform;
};

TEST_F(StartupTest, NormalStartChecksWaitsConnectsAndShowsTheWindowOnce) {
    EXPECT_EQ(RunStartup(platform), StartupOutcome::Finished);
    EXPECT_EQ(platform.calls, (Calls{"count VANTROK.exe", "wait", "short date", "connect",
                                     "gallon factor", "window"}));
    EXPECT_EQ(platform.gallonFactors, std::vector<double>{4.546});
    EXPECT_EQ(platform.windowsShown, 1);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(StartupTest, SecondCopyEndsSilentlyBeforeWaiting) {
    platform.processCount = 2;
    EXPECT_EQ(RunStartup(platform), StartupOutcome::AnotherCopyRunning);
    EXPECT_EQ(platform.calls, Calls{"count VANTROK.exe"});
    EXPECT_EQ(platform.slept.count(), 0);
}

TEST_F(StartupTest, FailingProcessQueryGoesStraightToConnectRetry) {
    // The start-up trap covers the instance test: no wait, no date check.
    platform.processQueryFails = true;
    EXPECT_EQ(RunStartup(platform), StartupOutcome::Finished);
    EXPECT_EQ(platform.calls, (Calls{"count VANTROK.exe", "connect", "gallon factor", "window"}));
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(StartupTest, WrongShortDatePatternsAreRefusedAfterTheWait) {
    for (const std::string pattern : {"dd/MM/yy", "d/M/yyyy", "DD/MM/YYYY", "M/d/yyyy", "dd/MM/yyyy ", ""}) {
        SCOPED_TRACE(pattern);
        FakeStartupPlatform platform;
        platform.clock = FakeStartupPlatform::at(2016, 11, 25, 10, 15, 42, 300);
        platform.shortDatePattern = pattern;
        EXPECT_EQ(RunStartup(platform), StartupOutcome::WrongShortDateFormat);
        EXPECT_EQ(platform.calls, (Calls{"count VANTROK.exe", "wait", "short date", "message", "launch"}));
        EXPECT_EQ(platform.shortDateReadAt, FakeStartupPlatform::at(2016, 11, 25, 10, 16, 42));
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text, "Short Date format must be - dd/MM/yyyy");
        EXPECT_EQ(platform.messages[0].title, "VANTROK");
        EXPECT_EQ(platform.messages[0].style, 16u);
        ASSERT_EQ(platform.launches.size(), 1u);
        EXPECT_EQ(platform.launches[0].first, "rundll32.exe shell32.dll,Control_RunDLL intl.cpl,,0");
        EXPECT_EQ(platform.launches[0].second, 5);
    }
}

TEST_F(StartupTest, NoPatternFromThePlatformCountsAsEmptyAndIsRefused) {
    platform.localeCallFails = true;
    EXPECT_EQ(RunStartup(platform), StartupOutcome::WrongShortDateFormat);
    EXPECT_EQ(platform.launches.size(), 1u);
}

TEST_F(StartupTest, ConnectionFailuresPromptUntilTheServerAccepts) {
    // ConnectRetry makes its first attempt at once; only its failures prompt.
    platform.connectionFailures = 4;
    EXPECT_EQ(RunStartup(platform), StartupOutcome::Finished);
    EXPECT_EQ(platform.calls,
              (Calls{"count VANTROK.exe", "wait", "short date", "connect", "connect", "message",
                     "connect", "message", "connect", "message", "connect", "gallon factor",
                     "window"}));
    ASSERT_EQ(platform.messages.size(), 3u);
    for (const auto& message : platform.messages) {
        EXPECT_EQ(message.text, "Fail to connect SQL Server ,Click Yes to Retry");
        EXPECT_EQ(message.title, "Vantrok");
        EXPECT_EQ(message.style, 0u);
    }
    EXPECT_EQ(platform.windowsShown, 1);
}

// Never sa instead: the stored login's fault is told, then the usual prompt.
TEST_F(StartupTest, AnUnusableStoredLoginIsToldBeforeEachRetryPrompt) {
    platform.unusableLoginFailures = 2;
    EXPECT_EQ(RunStartup(platform), StartupOutcome::Finished);
    EXPECT_EQ(platform.calls, (Calls{"count VANTROK.exe", "wait", "short date", "connect", "message", "connect",
                                     "message", "message", "connect", "gallon factor", "window"}));
    ASSERT_EQ(platform.messages.size(), 3u);
    EXPECT_EQ(platform.messages[0].text.rfind("The station login stored on this PC cannot be used (it was changed).", 0),
              0u);
    EXPECT_EQ(platform.messages[0].style, 0x30u);
    EXPECT_EQ(platform.messages[1].text, platform.messages[0].text);
    EXPECT_EQ(platform.messages[2].text, "Fail to connect SQL Server ,Click Yes to Retry");
}

TEST_F(StartupTest, WindowFailureRepeatsConnectionsGallonFactorAndWindow) {
    platform.windowFailures = 2;
    RunStartup(platform);
    EXPECT_EQ(platform.calls, (Calls{"count VANTROK.exe", "wait", "short date", "connect",
                                     "gallon factor", "window", "connect", "gallon factor",
                                     "window", "message", "connect", "gallon factor", "window"}));
    EXPECT_EQ(platform.windowsShown, 1);
}

TEST(ConnectRetryTest, ServerDownForManyAttemptsDoesNotGrowTheStack) {
    // Nested retries would need a stack frame per dismissal.
    FakeStartupPlatform platform;
    platform.connectionFailures = 200'000;
    ConnectRetry(platform);
    EXPECT_EQ(platform.messages.size(), 200'000u);
    EXPECT_EQ(platform.windowsShown, 1);
}

TEST(ConnectRetryTest, MessageBoxThatDoesNotAnswerOkEndsTheRetries) {
    FakeStartupPlatform platform;
    platform.connectionFailures = 5;
    platform.messageAnswer = 0;  // the box itself failed
    ConnectRetry(platform);
    EXPECT_EQ(platform.calls, (Calls{"connect", "message"}));
    EXPECT_EQ(platform.windowsShown, 0);
}

}  // namespace
}  // namespace vantrok::app::test
