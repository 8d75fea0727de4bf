#include "import/SelectionTexts.h"

#include "import/NumberText.h"

namespace vantrok {

namespace {

constexpr const char* deliveriesWithHoses =
    "select Hose_Delivery.*,Hoses.Pump_ID,Hoses.Hose_Number  S_Hose_ID from Hose_Delivery  left "
    "outer join Hoses on Hose_Delivery.Hose_ID=Hoses.Hose_ID where delivery_type in ('";

}  // namespace

std::string liveSelectionText(const db::DateTime& today) {
    const std::string month = decimalText(today.month);
    const std::string year = decimalText(today.year);
    const bool january = today.month == 1;
    const std::string previousMonth = decimalText(january ? 12 : today.month - 1);
    const std::string previousYear = decimalText(january ? today.year - 1 : today.year);
    return std::string(deliveriesWithHoses) + "6') and month(Cleared_Date_Time)='" + month +
           "' and year(Cleared_Date_Time)='" + year +
           "' AND Cleared_Date_Time is not null and Delivery_ID NOT IN (select distinct "
           "isnull(Delivery_ID,0) from torvane.dbo.d17_dailysale where month(s_date)='" +
           month + "' and year(s_date)='" + year + "' or month(s_date)='" + previousMonth +
           "' and year(s_date)='" + previousYear + "') order by cast(delivery_id as int) asc";
}

std::string offlineSelectionText(const db::DateTime& today) {
    const std::string day = decimalText(today.day);
    const std::string month = decimalText(today.month);
    const std::string year = decimalText(today.year);
    return std::string(deliveriesWithHoses) + "14') and day(Completed_TS)='" + day +
           "' and month(Completed_TS)='" + month + "' and year(Completed_TS)='" + year +
           "' AND Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) from "
           "torvane.dbo.d17_dailysale where day(S_Date)='" +
           day + "' and month(s_date)='" + month + "' and year(s_date)='" + year + "')";
}

}  // namespace vantrok
