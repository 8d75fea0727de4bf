#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace vantrok::sim::station {

// A working forecourt: a new delivery every interval on a random pump and
// hose, mostly live (type 6, cleared at once), some offline (type 14, not
// cleared), with the hose's meters growing. Prints each Delivery_ID; runs
// until count deliveries are recorded or stop is set.
struct TrafficPlan {
    std::chrono::milliseconds every{1000};
    std::optional<std::int64_t> count;
    std::uint32_t seed = 0;
};

void runTraffic(const std::string& dir, const TrafficPlan& plan, const std::atomic<bool>& stop, std::ostream& out);

}  // namespace vantrok::sim::station
