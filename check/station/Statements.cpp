#include "check/station/Statements.h"

#include "import/DateText.h"
#include "import/NumberText.h"
#include "import/SelectionTexts.h"

namespace vantrok::check {

namespace {

std::string quotedDay(const CalendarDay& day) { return "'" + dateText(midnightOf(day)) + "'"; }

}  // namespace

std::string deliveriesCompletedText(const CalendarDay& first, const CalendarDay& end) {
    return std::string(deliveryRowsWhere) + "Completed_TS>=" + quotedDay(first) + " and Completed_TS<" +
           quotedDay(end) + " order by cast(delivery_id as int) asc";
}

std::string readingsBeforeText(const CalendarDay& day) {
    return "select d.Hose_ID,d.Delivery_ID,d.Completed_TS,d.Delivery_Volume,d.Delivery_Value,d.Hose_Meter_Volume,"
           "d.Hose_Meter_Value from Hose_Delivery d where d.Completed_TS=(select max(p.Completed_TS) from "
           "Hose_Delivery p where p.Hose_ID=d.Hose_ID and p.Completed_TS<" +
           quotedDay(day) + ")";
}

std::string dailySalesText(const CalendarDay& first, const CalendarDay& end) {
    return "select Delivery_ID,S_Date,VocNo from D17_DailySale where S_Date>=" + quotedDay(first) +
           " and S_Date<" + quotedDay(end);
}

std::string hoseFuelTypesText() { return "select pump_no,hose_number,fueltypecode from D10_Hose"; }

std::string salesLockText(const CalendarDay& first, const CalendarDay& end) {
    return "select count(*) from D17_DailySale with (tablockx, holdlock) where S_Date>=" + quotedDay(first) +
           " and S_Date<" + quotedDay(end);
}

std::string renumberText(const std::string& newVoucher, const std::string& oldVoucher, std::int64_t deliveryId,
                         const CalendarDay& first, const CalendarDay& end) {
    return "update D17_DailySale set VocNo='" + newVoucher + "' where VocNo='" + oldVoucher +
           "' and Delivery_ID=" + decimalText(deliveryId) + " and S_Date>=" + quotedDay(first) +
           " and S_Date<" + quotedDay(end);
}

std::string serverClockText() { return "select getdate() as Local_Now,getutcdate() as Utc_Now"; }

std::string lastSaleText() { return "select max(S_Date) as Last_S_Date from D17_DailySale"; }

}  // namespace vantrok::check
