#include "ui/TrayEvents.h"

#include <utility>

#include "ui/BusyFlag.h"

namespace vantrok::ui {

TrayEventHandler::TrayEventHandler(std::function<void()> showWindow)
    : showWindow_(std::move(showWindow)) {}

void TrayEventHandler::onMouseMove(std::int32_t x) {
    trayEventCode_ = x;
    if (trayBusy_) return;
    const BusyFlag busy(trayBusy_);
    if (trayEventCode_ == TrayDoubleClick) showWindow_();
}

}  // namespace vantrok::ui
