#include "ui/TimerSchedule.h"

#include <utility>

#include "ui/BusyFlag.h"

namespace vantrok::ui {

TimerTicks::TimerTicks(std::function<void()> importCycle, std::function<void()> backupTick)
    : importCycle_(std::move(importCycle)), backupTick_(std::move(backupTick)) {}

void TimerTicks::onTimer(unsigned id) {
    if (ticking_) return;
    const BusyFlag ticking(ticking_);
    if (id == static_cast<unsigned>(TimerId::Timer1)) {
        importCycle_();
    } else if (id == static_cast<unsigned>(TimerId::Timer2)) {
        backupTick_();
    }
}

}  // namespace vantrok::ui
