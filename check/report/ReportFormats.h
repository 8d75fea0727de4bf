#pragma once

#include <string>

#include "check/report/Reconciliation.h"

namespace vantrok::check {

// The report for people: the days' figures, then each finding.
std::string reportText(const Reconciliation& report);
// One row per finding or tally, for other tools: day (or "total"), finding,
// delivery_id, type, pump, hose, count, codes, detail.
std::string reportCsv(const Reconciliation& report);
// The whole report as one JSON object.
std::string reportJson(const Reconciliation& report);

// One not-carried delivery for people, on two lines: what it is, then where
// it stands and why.
std::string deliveryText(const DeliveryFinding& finding);

}  // namespace vantrok::check
