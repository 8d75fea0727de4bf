#pragma once

#include <cstdint>

#include "db/DateTime.h"

namespace vantrok::check {

// Seconds since the Unix epoch of a local date and time, as the C library's
// mktime reads it (with daylight saving as it applied then). Throws
// ValueError for a moment mktime cannot place.
std::int64_t epochSeconds(const db::DateTime& local);

}  // namespace vantrok::check
