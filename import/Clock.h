#pragma once

#include "db/DateTime.h"

namespace vantrok {

// The date and time the selections are built for; tests stand on any day.
class Clock {
public:
    virtual ~Clock() = default;
    virtual db::DateTime now() const = 0;
};

}  // namespace vantrok
