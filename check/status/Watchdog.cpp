#include "check/status/Watchdog.h"

namespace vantrok::check {

Watchdog::Watchdog(std::chrono::milliseconds limit, Expiry expire)
    : expire_(std::move(expire)), thread_([this, deadline = std::chrono::steady_clock::now() + limit] {
          watch(deadline);
      }) {}

Watchdog::~Watchdog() { disarm(); }

void Watchdog::waitingOn(const std::string& what) {
    const std::lock_guard lock(mutex_);
    waitingOn_ = what;
}

bool Watchdog::disarm() {
    bool inTime = false;
    {
        const std::lock_guard lock(mutex_);
        inTime = !expired_;
        ended_ = true;
    }
    disarmed_.notify_all();
    if (thread_.joinable()) thread_.join();
    return inTime;
}

void Watchdog::watch(std::chrono::steady_clock::time_point deadline) {
    std::string what;
    {
        std::unique_lock lock(mutex_);
        if (disarmed_.wait_until(lock, deadline, [this] { return ended_; })) return;
        expired_ = true;
        what = waitingOn_;
    }
    expire_(what);
}

}  // namespace vantrok::check
