#include "import/SelectionTexts.h"

#include "import/DateText.h"
#include "import/NumberText.h"

namespace vantrok {

db::DateTime firstDayOfPreviousMonth(const db::DateTime& today) {
    const bool january = today.month == 1;
    return db::DateTime{january ? today.year - 1 : today.year, january ? 12 : today.month - 1, 1, 0, 0, 0, 0};
}

std::string liveSelectionText(const db::DateTime& today) {
    const std::string month = decimalText(today.month);
    const std::string year = decimalText(today.year);
    const db::DateTime windowStart = firstDayOfPreviousMonth(today);
    const std::string previousMonth = decimalText(windowStart.month);
    const std::string previousYear = decimalText(windowStart.year);
    return std::string(deliveryRowsWhere) + "delivery_type in ('6') and month(Cleared_Date_Time)='" + month +
           "' and year(Cleared_Date_Time)='" + year +
           "' AND Cleared_Date_Time is not null and Delivery_ID NOT IN (select distinct "
           "isnull(Delivery_ID,0) from torvane.dbo.d17_dailysale where month(s_date)='" +
           month + "' and year(s_date)='" + year + "' or month(s_date)='" + previousMonth +
           "' and year(s_date)='" + previousYear + "') and Completed_TS>='" + dateText(windowStart) +
           "' order by cast(delivery_id as int) asc";
}

std::string offlineSelectionText(const db::DateTime& today) {
    const std::string day = decimalText(today.day);
    const std::string month = decimalText(today.month);
    const std::string year = decimalText(today.year);
    return std::string(deliveryRowsWhere) + "delivery_type in ('14') and day(Completed_TS)='" + day +
           "' and month(Completed_TS)='" + month + "' and year(Completed_TS)='" + year +
           "' AND Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) from "
           "torvane.dbo.d17_dailysale where day(S_Date)='" +
           day + "' and month(s_date)='" + month + "' and year(s_date)='" + year + "')";
}

}  // namespace vantrok
