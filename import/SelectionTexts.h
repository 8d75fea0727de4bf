#pragma once

#include <string>

#include "db/DateTime.h"

namespace vantrok {

// The deliveries' selections on the ControllerConnection, built for one
// reading of the clock: a text whose numbers came from two different moments
// could name a month of a year that never was.

// Type 6 cleared in today's month, not yet carried by a daily sale of this
// month or of the month before (a sale dated by its completion time may fall
// into the previous month), in ascending Delivery_ID order.
std::string liveSelectionText(const db::DateTime& today);
// Type 14 completed today, not yet carried by a daily sale of today.
std::string offlineSelectionText(const db::DateTime& today);

}  // namespace vantrok
