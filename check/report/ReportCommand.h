#pragma once

#include "check/Arguments.h"
#include "check/report/Reconciliation.h"
#include "import/Bridge.h"

namespace vantrok::check {

// Reads and reconciles the range, with a progress bar when standard error is a terminal.
Reconciliation reconcileRange(Bridge& bridge, const DayRange& range);

// vantrok-check report: the reconciliation in the format asked for; 0 when
// everything is accounted for, 1 when something is not.
int runReport(Bridge& bridge, const Arguments& arguments);

}  // namespace vantrok::check
