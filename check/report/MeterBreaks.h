#pragma once

#include <vector>

#include "check/report/Reconciliation.h"
#include "check/station/StationReadings.h"

namespace vantrok::check {

// Each hose's readings should rise from one delivery to the next by exactly
// one delivery's volume and value. Controllers take the reading either after
// the delivery it is recorded with (the rise is that delivery's) or before it
// (the rise is the previous delivery's); each hose's pairs of deliveries show
// which, and the pairs that fit neither are the breaks. Pairs with a NULL
// reading or amount say nothing. `before` holds each hose's last delivery
// before the range; the breaks are in hose order, then time order.
std::vector<MeterBreak> meterBreaks(const std::vector<DeliveryRecord>& before,
                                    const std::vector<DeliveryRecord>& deliveries);

}  // namespace vantrok::check
