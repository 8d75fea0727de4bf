#pragma once

#include <string>
#include <string_view>

#include "db/DateTime.h"

namespace vantrok {

// The deliveries' selections on the ControllerConnection, built for one
// reading of the clock: a text whose numbers came from two different moments
// could name a month of a year that never was.

// Every Hose_Delivery column with the pump and hose number of its Hoses row
// (NULL without one): the DeliveryRow that a daily-sale write reads. A
// selection's conditions follow.
inline constexpr std::string_view deliveryRowsWhere =
    "select Hose_Delivery.*,Hoses.Pump_ID,Hoses.Hose_Number  S_Hose_ID from Hose_Delivery  left "
    "outer join Hoses on Hose_Delivery.Hose_ID=Hoses.Hose_ID where ";

// Midnight of the first day of the month before today's.
db::DateTime firstDayOfPreviousMonth(const db::DateTime& today);

// Type 6 cleared in today's month, not yet carried by a daily sale of this
// month or of the month before (a sale dated by its completion time may fall
// into the previous month), in ascending Delivery_ID order. Deliveries
// completed before the previous month are left out: their sales would fall
// outside the exclusion and be written again at every tick.
std::string liveSelectionText(const db::DateTime& today);
// Type 14 completed today, not yet carried by a daily sale of today.
std::string offlineSelectionText(const db::DateTime& today);

}  // namespace vantrok
