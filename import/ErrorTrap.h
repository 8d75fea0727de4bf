#pragma once

#include <exception>
#include <string_view>

#include "import/Trace.h"

namespace vantrok {

// True for an error that means the connection itself is gone: SQLSTATE class
// 08 in any diagnostic record (drivers often put it second), or a command
// time-out (HYT00).
bool breaksConnection(const std::exception& error);

// What one tick's trap caught: each error goes to the trace as one line with
// the work that met it, the delivery (if any), SQLSTATE and message.
class ErrorTrap {
public:
    explicit ErrorTrap(Trace& trace) : trace_(trace) {}

    void caught(std::string_view work, std::string_view deliveryId, const std::exception& error);
    bool clean() const noexcept { return caught_ == 0; }

private:
    Trace& trace_;
    int caught_ = 0;
};

}  // namespace vantrok
