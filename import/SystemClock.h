#pragma once

#include "import/Clock.h"

namespace vantrok {

// The computer's local date and time, to the whole second.
class SystemClock final : public Clock {
public:
    db::DateTime now() const override;
};

}  // namespace vantrok
