#pragma once

#include <array>
#include <functional>

namespace vantrok::ui {

enum class TimerId : unsigned { Timer1 = 1, Timer2 = 2 };

struct TimerSetting {
    TimerId id;
    unsigned intervalMilliseconds;
};

// Timer1 drives the ImportCycle, Timer2 the backup synchronisation.
inline constexpr std::array<TimerSetting, 2> TimerSettings{{
    {TimerId::Timer1, 4000},
    {TimerId::Timer2, 10000},
}};

// Runs each tick's work on the window's thread. A tick that falls due while
// another is still running (a nested message loop) is dropped, so the
// ImportCycle and the backup never overlap; Windows coalesces due timer
// messages anyway, so nothing is made up later either.
class TimerTicks {
public:
    TimerTicks(std::function<void()> importCycle, std::function<void()> backupTick);

    // Unknown ids are ignored.
    void onTimer(unsigned id);

private:
    std::function<void()> importCycle_;
    std::function<void()> backupTick_;
    bool ticking_ = false;
};

}  // namespace vantrok::ui
