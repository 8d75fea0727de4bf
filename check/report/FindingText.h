#pragma once

#include <string>

#include "check/report/Reconciliation.h"
#include "db/Decimal.h"
#include "db/Value.h"

// The small texts the three report formats share.
namespace vantrok::check::text {

// A column value as stored; NULL as "NULL".
std::string value(const db::Value& value);
// A difference with its sign: "+5.000", "-0.30", "0.00".
std::string signedAmount(const db::Decimal& amount);
// The reasons' texts, joined by "; ", and their codes, joined by ";".
std::string reasons(const DeliveryFinding& finding);
std::string reasonCodes(const DeliveryFinding& finding);
// "pump 1 hose 2", or "no Hoses row".
std::string pumpHose(const DeliveryRecord& delivery);
// "5", or "5 to 7".
std::string numberSpan(std::int64_t first, std::int64_t last);

}  // namespace vantrok::check::text
