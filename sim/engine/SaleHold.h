#pragma once

#include <string>

#include "sim/engine/Faults.h"

namespace vantrok::sim {

// Where a held daily sale announces itself: the file holds the id of the
// process that holds it (the client's own on the station's ODBC driver, the
// server's on TDS), so a test can kill either at exactly that point.
std::string saleHoldFile(const std::string& stationDir);

// With hold-after-sale on, waits until it is switched off: called right after
// a daily sale is stored, so the sale is in the database and its client not
// yet told. The announcement is there while the sale is held.
void holdAfterSale(const std::string& stationDir, const FaultState& faults);

}  // namespace vantrok::sim
