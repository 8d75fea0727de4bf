#pragma once

#include "import/Clock.h"

namespace vantrok::testing {

// A clock that shows whatever the test sets.
class FixedClock final : public Clock {
public:
    explicit FixedClock(db::DateTime moment = {2016, 11, 25, 17, 42, 30, 0}) : moment_(moment) {}
    db::DateTime now() const override { return moment_; }
    void set(const db::DateTime& moment) { moment_ = moment; }

private:
    db::DateTime moment_;
};

}  // namespace vantrok::testing
