#pragma once

#include <vector>

#include "check/StationReadings.h"
#include "import/Bridge.h"

namespace vantrok::check {

struct CarryOutcome {
    int written = 0;
    int failed = 0;
    bool ended = false;  // a connection broke or a day could not be read: the rest was left

    bool clean() const { return failed == 0 && !ended; }
};

// Writes each delivery given as one daily sale through the imports' own
// write, live or offline by its type: day by day, each day's deliveries in
// Delivery_ID order as the controller holds them, one write at a time. A
// failing write holds up only itself and goes to the bridge's trace.
CarryOutcome carryDeliveries(Bridge& bridge, const std::vector<DeliveryRecord>& deliveries);

}  // namespace vantrok::check
