#pragma once

#include "import/Bridge.h"
#include "import/ErrorTrap.h"

namespace vantrok {

// The two imports. Each executes its selection once on the ControllerConnection,
// for one reading of the clock, and writes every row it yields as a daily sale
// while the result set stays open. A row whose write fails for any reason but
// a broken connection goes to the trap and waits for the next tick; the run
// goes on with the next row. Each returns false when the tick has to end: the
// selection or the walk failed, or a connection broke (the trap has it).

// Type 6 deliveries cleared this month, in ascending Delivery_ID order.
bool GET_VANTROK_DATA(Bridge& bridge, ErrorTrap& trap);
// Type 14 deliveries completed today.
bool GET_OFFLINE_DATA(Bridge& bridge, ErrorTrap& trap);

}  // namespace vantrok
