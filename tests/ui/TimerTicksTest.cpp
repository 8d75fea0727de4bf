#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/TimerSchedule.h"

namespace vantrok::ui {
namespace {

class TimerTicksTest : public ::testing::Test {
protected:
    std::vector<std::string> ran;
    std::function<void()> duringImport = [] {};
    TimerTicks ticks{[this] {
                         ran.push_back("import");
                         duringImport();
                     },
                     [this] { ran.push_back("backup"); }};
};

TEST_F(TimerTicksTest, EachTimerRunsItsOwnWork) {
    ticks.onTimer(1);
    ticks.onTimer(2);
    ticks.onTimer(1);
    ticks.onTimer(0);
    ticks.onTimer(3);
    EXPECT_EQ(ran, (std::vector<std::string>{"import", "backup", "import"}));
}

TEST_F(TimerTicksTest, TicksDueDuringARunningTickAreDropped) {
    duringImport = [this] {
        ticks.onTimer(2);
        ticks.onTimer(1);
    };
    ticks.onTimer(1);
    EXPECT_EQ(ran, std::vector<std::string>{"import"});
    duringImport = [] {};
    ticks.onTimer(2);
    EXPECT_EQ(ran, (std::vector<std::string>{"import", "backup"}));
}

TEST_F(TimerTicksTest, ATickThatThrowsDoesNotBlockLaterTicks) {
    duringImport = [] { throw std::runtime_error("escaped"); };
    EXPECT_THROW(ticks.onTimer(1), std::runtime_error);
    ticks.onTimer(2);
    EXPECT_EQ(ran, (std::vector<std::string>{"import", "backup"}));
}

}  // namespace
}  // namespace vantrok::ui
