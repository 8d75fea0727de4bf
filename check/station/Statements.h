#pragma once

#include <cstdint>
#include <string>

#include "check/station/CalendarDay.h"

namespace vantrok::check {

// The reconciliation's readings: plain T-SQL that only reads, each a fixed
// text with its days placed in as "dd-MMM-yyyy" (midnight of that day). A
// span runs from its first day up to, not including, its end day.

// On the ControllerConnection: every delivery completed in the span, as the
// imports select their rows (every Hose_Delivery column with pump and hose
// number), in ascending Delivery_ID order.
std::string deliveriesCompletedText(const CalendarDay& first, const CalendarDay& end);
// On the ControllerConnection: each hose's last delivery completed before the
// day, with its amounts and meter readings.
std::string readingsBeforeText(const CalendarDay& day);
// On the SalesConnection: the Delivery_ID, date and voucher of every daily
// sale dated in the span.
std::string dailySalesText(const CalendarDay& first, const CalendarDay& end);
// On the SalesConnection: the fuel-type code of every hose of the hose master.
std::string hoseFuelTypesText();
// On the ControllerConnection: the server's local time and UTC at one
// instant, as Local_Now and Utc_Now.
std::string serverClockText();
// On the SalesConnection: the latest S_Date of all daily sales, NULL without any.
std::string lastSaleText();

// On the SalesConnection, in a transaction: the span's daily sales counted
// under an exclusive lock on the table, held to the transaction's end, so
// that no other writer takes an invoice number meanwhile.
std::string salesLockText(const CalendarDay& first, const CalendarDay& end);
// On the SalesConnection: gives one daily sale of the span, known by its
// voucher and Delivery_ID, another voucher.
std::string renumberText(const std::string& newVoucher, const std::string& oldVoucher, std::int64_t deliveryId,
                         const CalendarDay& first, const CalendarDay& end);

}  // namespace vantrok::check
