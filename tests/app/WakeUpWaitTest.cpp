#include <gtest/gtest.h>

#include "FakeStartupPlatform.h"
#include "app/WakeUpWait.h"

namespace vantrok::app::test {
namespace {

using Fake = FakeStartupPlatform;

TEST(WakeUpTimeTest, IsOneMinuteAfterTheWholeSecondAcrossDayMonthAndYearEnds) {
    EXPECT_EQ(WakeUpTime(Fake::toDateTime(Fake::at(2016, 11, 25, 10, 15, 42, 999))),
              Fake::toDateTime(Fake::at(2016, 11, 25, 10, 16, 42)));
    EXPECT_EQ(WakeUpTime(Fake::toDateTime(Fake::at(2016, 12, 31, 23, 59, 30))),
              Fake::toDateTime(Fake::at(2017, 1, 1, 0, 0, 30)));
    EXPECT_EQ(WakeUpTime(Fake::toDateTime(Fake::at(2016, 2, 28, 23, 59, 1))),
              Fake::toDateTime(Fake::at(2016, 2, 29, 0, 0, 1)));
    EXPECT_EQ(WakeUpTime(Fake::toDateTime(Fake::at(2017, 2, 28, 23, 59, 1))),
              Fake::toDateTime(Fake::at(2017, 3, 1, 0, 0, 1)));
}

TEST(WaitUntilTest, EndsWhenTheClockReachesTheWakeUpSecondWithoutSpinning) {
    Fake platform;
    platform.clock = Fake::at(2016, 11, 25, 10, 15, 42, 700);
    WaitUntil(platform, WakeUpTime(platform.now()));
    EXPECT_EQ(platform.clock, Fake::at(2016, 11, 25, 10, 16, 42));
    EXPECT_EQ(platform.slept, std::chrono::milliseconds{59'300});
}

TEST(WaitUntilTest, SleepsInShortStepsSoAClockSetMeanwhileIsFollowed) {
    struct ClockSetBack : Fake {
        int sleeps = 0;
        void sleepFor(std::chrono::milliseconds duration) override {
            EXPECT_LE(duration.count(), 1000);
            Fake::sleepFor(duration);
            if (++sleeps == 10) clock -= std::chrono::minutes{5};
        }
    } platform;
    platform.clock = Fake::at(2016, 11, 25, 10, 15, 42);
    WaitUntil(platform, Fake::toDateTime(Fake::at(2016, 11, 25, 10, 16, 42)));
    EXPECT_EQ(platform.clock, Fake::at(2016, 11, 25, 10, 16, 42));
    EXPECT_EQ(platform.slept, std::chrono::minutes{6});
}

TEST(WaitUntilTest, ReachedWakeUpTimeReturnsWithoutSleeping) {
    Fake platform;
    platform.clock = Fake::at(2016, 11, 25, 10, 16, 42, 10);
    WaitUntil(platform, Fake::toDateTime(Fake::at(2016, 11, 25, 10, 16, 42)));
    EXPECT_EQ(platform.slept.count(), 0);
}

}  // namespace
}  // namespace vantrok::app::test
