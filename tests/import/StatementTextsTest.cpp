#include <gtest/gtest.h>

#include <string>

#include "import/InvoiceNumber.h"
#include "import/SelectionTexts.h"

namespace vantrok {
namespace {

const std::string liveHead =
    "select Hose_Delivery.*,Hoses.Pump_ID,Hoses.Hose_Number  S_Hose_ID from Hose_Delivery  left "
    "outer join Hoses on Hose_Delivery.Hose_ID=Hoses.Hose_ID where delivery_type in ('6') and "
    "month(Cleared_Date_Time)='";
const std::string offlineHead =
    "select Hose_Delivery.*,Hoses.Pump_ID,Hoses.Hose_Number  S_Hose_ID from Hose_Delivery  left "
    "outer join Hoses on Hose_Delivery.Hose_ID=Hoses.Hose_ID where delivery_type in ('14') and "
    "day(Completed_TS)='";

TEST(LiveSelection, ExcludesSalesOfTwoMonthsAndLeavesOlderDeliveriesToTheCheck) {
    EXPECT_EQ(liveSelectionText({2016, 11, 25, 17, 42, 30, 0}),
              liveHead +
                  "11' and year(Cleared_Date_Time)='2016' AND Cleared_Date_Time is not null and "
                  "Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) from "
                  "torvane.dbo.d17_dailysale where month(s_date)='11' and year(s_date)='2016' or "
                  "month(s_date)='10' and year(s_date)='2016') and Completed_TS>='01-Oct-2016' "
                  "order by cast(delivery_id as int) asc");
    // The previous month of January is December of the year before, from the same reading.
    const std::string newYear = liveSelectionText({2017, 1, 1, 0, 0, 0, 0});
    EXPECT_NE(newYear.find("where month(s_date)='1' and year(s_date)='2017' or month(s_date)='12' and "
                           "year(s_date)='2016') and Completed_TS>='01-Dec-2016' order by"),
              std::string::npos)
        << newYear;
}

TEST(OfflineSelection, NamesTodayWithoutLeadingZeros) {
    EXPECT_EQ(offlineSelectionText({2016, 3, 5, 9, 0, 0, 0}),
              offlineHead +
                  "5' and month(Completed_TS)='3' and year(Completed_TS)='2016' AND Delivery_ID NOT "
                  "IN (select distinct isnull(Delivery_ID,0) from torvane.dbo.d17_dailysale where "
                  "day(S_Date)='5' and month(s_date)='3' and year(s_date)='2016')");
    const std::string leapDay = offlineSelectionText({2016, 2, 29, 23, 59, 59, 0});
    EXPECT_NE(leapDay.find("day(S_Date)='29' and month(s_date)='2' and year(s_date)='2016'"),
              std::string::npos);
}

TEST(InvoiceNumber, CarriesTheDayTheMonthWithoutZeroAndTwoYearDigits) {
    EXPECT_EQ(invoiceDayText({2016, 2, 3, 8, 5, 9, 0}), "03216");
    EXPECT_EQ(invoiceDayText({2016, 11, 25, 17, 42, 30, 0}), "251116");
    EXPECT_EQ(invoiceDayText({2005, 1, 31, 0, 0, 0, 0}), "31105");
    EXPECT_EQ(invoiceDayText({2000, 10, 1, 0, 0, 0, 0}), "011000");
}

}  // namespace
}  // namespace vantrok
