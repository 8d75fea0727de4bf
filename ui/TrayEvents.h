#pragma once

#include <cstdint>
#include <functional>

namespace vantrok::ui {

inline constexpr std::int32_t TrayDoubleClick = 515;  // WM_LBUTTONDBLCLK

// The shell reports tray events as mouse moves whose x coordinate carries
// the event's message number; pointer moves over the window arrive the same
// way and, being narrower than 515 pixels, never act.
class TrayEventHandler {
public:
    explicit TrayEventHandler(std::function<void()> showWindow);

    void onMouseMove(std::int32_t x);

    std::int32_t trayEventCode() const noexcept { return trayEventCode_; }
    bool trayBusy() const noexcept { return trayBusy_; }

private:
    std::function<void()> showWindow_;
    std::int32_t trayEventCode_ = 0;
    // Showing the window can deliver more messages before it returns; those
    // must not show it a second time.
    bool trayBusy_ = false;
};

}  // namespace vantrok::ui
