#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/TrayEvents.h"

namespace vantrok::ui {
namespace {

TEST(TrayEventsTest, OnlyALeftDoubleClickShowsTheWindow) {
    int shown = 0;
    TrayEventHandler tray([&] { ++shown; });
    EXPECT_EQ(tray.trayEventCode(), 0);
    // Move, left down/up, right down/up/double-click, middle, and pointer
    // positions over the window itself.
    for (int code : {512, 513, 514, 516, 517, 518, 519, 0, 1, 201, -3}) {
        tray.onMouseMove(code);
        EXPECT_EQ(tray.trayEventCode(), code);
    }
    EXPECT_EQ(shown, 0);
    tray.onMouseMove(515);
    tray.onMouseMove(515);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(tray.trayEventCode(), 515);
    EXPECT_FALSE(tray.trayBusy());
}

TEST(TrayEventsTest, EventsArrivingWhileTheWindowIsShownOnlyUpdateTheCode) {
    int shown = 0;
    TrayEventHandler* self = nullptr;
    TrayEventHandler tray([&] {
        ++shown;
        EXPECT_TRUE(self->trayBusy());
        self->onMouseMove(515);
        self->onMouseMove(513);
    });
    self = &tray;
    tray.onMouseMove(515);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(tray.trayEventCode(), 513);
    EXPECT_FALSE(tray.trayBusy());
}

TEST(TrayEventsTest, FailingShowLeavesTheHandlerReady) {
    bool fail = true;
    int shown = 0;
    TrayEventHandler tray([&] {
        if (fail) throw std::runtime_error("no window");
        ++shown;
    });
    EXPECT_THROW(tray.onMouseMove(515), std::runtime_error);
    EXPECT_FALSE(tray.trayBusy());
    fail = false;
    tray.onMouseMove(515);
    EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace vantrok::ui
