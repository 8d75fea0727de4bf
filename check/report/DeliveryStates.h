#pragma once

#include <map>
#include <string>
#include <vector>

#include "check/report/Reconciliation.h"
#include "check/station/StationReadings.h"

namespace vantrok::check {

// What decides where a delivery stands besides the delivery itself.
struct Surroundings {
    const StationReadings& readings;
    // Vouchers per day that the invoice query cannot read.
    const std::map<CalendarDay, std::vector<std::string>>& unreadableVouchers;
};

// Where a delivery without a daily sale of its completion day stands, and
// why: an import that will still select it makes it waiting (stuck when its
// write fails as things stand); otherwise it is missing, with the reason no
// import selects it any more and what would make its write fail.
DeliveryFinding notCarriedFinding(const DeliveryRecord& delivery, const Surroundings& around);

}  // namespace vantrok::check
