#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vantrok::check {

// Told what the probe waits on next: a login, a statement, a query.
class WaitingOn {
public:
    virtual ~WaitingOn() = default;
    virtual void waitingOn(const std::string& what) = 0;
};

class NotWatched final : public WaitingOn {
public:
    void waitingOn(const std::string&) override {}
};

// Ends the probe at its deadline whatever blocks it. A driver call that
// never returns (a server that accepts and never answers, a stuck WMI
// service) cannot be interrupted safely, so at the deadline the expiry runs
// on the watchdog's own thread with what was waited on; the command's expiry
// answers and ends the process.
class Watchdog final : public WaitingOn {
public:
    using Expiry = std::function<void(const std::string& waitingOn)>;

    Watchdog(std::chrono::milliseconds limit, Expiry expire);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void waitingOn(const std::string& what) override;
    // True when the probe ended in time; false once the expiry has begun, in
    // which case it returns after the expiry does (never, when that ends the process).
    bool disarm();

private:
    void watch(std::chrono::steady_clock::time_point deadline);

    Expiry expire_;
    std::mutex mutex_;
    std::condition_variable disarmed_;
    std::string waitingOn_ = "the start";
    bool ended_ = false;
    bool expired_ = false;
    std::thread thread_;
};

}  // namespace vantrok::check
