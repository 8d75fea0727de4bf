#pragma once

#include <exception>
#include <utility>

namespace vantrok::ui {

// Windows calls a window procedure through its own frames, which an
// exception must never cross: a 32-bit program cannot unwind through them
// and ends on the spot. What a handler throws is held here while the
// procedure gives Windows its answer for a failure; the program's own code
// takes the error up again outside those frames.
class CallbackBoundary {
public:
    template <class Result, class Handler>
    Result call(Handler&& handler, Result failed) noexcept {
        try {
            return std::forward<Handler>(handler)();
        } catch (...) {
            // The first error is the cause; what follows from it is dropped.
            if (!held_) held_ = std::current_exception();
            return failed;
        }
    }

    // Throws what a call held, once.
    void rethrowHeld() {
        if (held_) std::rethrow_exception(std::exchange(held_, nullptr));
    }

private:
    std::exception_ptr held_;
};

}  // namespace vantrok::ui
