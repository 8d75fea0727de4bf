#pragma once

#include <cstdint>

#include "db/DateTime.h"

namespace vantrok::check {

// A date and time as seconds from 1970-01-01 00:00 of the same calendar, by
// arithmetic alone: no zone, no daylight saving. For a UTC moment that is
// Unix time; for a local one, the base its offset is taken from.
std::int64_t civilSeconds(const db::DateTime& moment);
// The date and time so many seconds from 1970-01-01 00:00 (whole seconds).
db::DateTime civilMoment(std::int64_t seconds);

}  // namespace vantrok::check
