#pragma once

#include <cstdint>

#include "db/DateTime.h"

namespace vantrok::check {

// A time zone's rules, daylight saving of every year included.
class ZoneRules {
public:
    virtual ~ZoneRules() = default;
    // The local date and time at a UTC moment (Unix seconds): that way round
    // every moment has exactly one answer.
    virtual db::DateTime localAt(std::int64_t utcSeconds) const = 0;
};

// This PC's zone: on Windows its dynamic time zone, whose rules change by
// year; elsewhere the C library's. Throws std::system_error when the system
// cannot convert.
const ZoneRules& pcZoneRules();

}  // namespace vantrok::check
