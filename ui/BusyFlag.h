#pragma once

namespace vantrok::ui {

// Holds a flag true for one scope, and lowers it on every way out.
class BusyFlag {
public:
    explicit BusyFlag(bool& flag) noexcept : flag_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace vantrok::ui
