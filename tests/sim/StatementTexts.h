#pragma once

#include <string>

// The statements the station answers, spelled out here on their own so that
// a slip in the station's copy of them shows up as a failing test.
namespace vantrok::sim::texts {

inline const std::string deliveries =
    "select Hose_Delivery.*,Hoses.Pump_ID,Hoses.Hose_Number  S_Hose_ID from Hose_Delivery  left outer join Hoses "
    "on Hose_Delivery.Hose_ID=Hoses.Hose_ID where ";

inline std::string live(const std::string& month, const std::string& year) {
    return deliveries + "delivery_type in ('6') and month(Cleared_Date_Time)='" + month +
           "' and year(Cleared_Date_Time)='" + year +
           "' AND Cleared_Date_Time is not null and Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) from "
           "torvane.dbo.d17_dailysale where month(s_date)='" + month + "' and year(s_date)='" + year +
           "') order by cast(delivery_id as int) asc";
}

inline std::string liveWindowed(const std::string& month, const std::string& year, const std::string& previousMonth,
                                const std::string& previousYear, const std::string& completedFrom) {
    return deliveries + "delivery_type in ('6') and month(Cleared_Date_Time)='" + month +
           "' and year(Cleared_Date_Time)='" + year +
           "' AND Cleared_Date_Time is not null and Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) from "
           "torvane.dbo.d17_dailysale where month(s_date)='" + month + "' and year(s_date)='" + year +
           "' or month(s_date)='" + previousMonth + "' and year(s_date)='" + previousYear +
           "') and Completed_TS>='" + completedFrom + "' order by cast(delivery_id as int) asc";
}

inline std::string offline(const std::string& day, const std::string& month, const std::string& year) {
    return deliveries + "delivery_type in ('14') and day(Completed_TS)='" + day + "' and month(Completed_TS)='" +
           month + "' and year(Completed_TS)='" + year +
           "' AND Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) from torvane.dbo.d17_dailysale where "
           "day(S_Date)='" + day + "' and month(s_date)='" + month + "' and year(s_date)='" + year + "')";
}

inline std::string invoice(const std::string& date) {
    return "select 'INV/'+'C9/',ISNULL(MAX(CAST(REVERSE(LEFT(REVERSE(VocNo), CHARINDEX('/',REVERSE(VocNo))-1)) AS "
           "INT)),0)+1 from D17_DailySale where CAST(RTRIM(LTRIM(CAST(DAY(S_Date) AS CHAR(2))))+'-'+CAST(DATENAME("
           "MONTH,S_Date) AS CHAR(3))+'-'+CAST(YEAR(S_Date) AS CHAR(4)) AS DATETIME)='" + date +
           "' AND LEFT(VocNo,6)='INV/C9'";
}

inline std::string fuelType(const std::string& pump, const std::string& hose) {
    return "select d1.fueltypecode from D10_Hose d1 left outer join d1_fueltype d2 on d1.fueltypecode=d2.fueltypecode "
           "left outer join d9_tank d3 on d1.tank_no=d3.tank_no where d1.pump_no='" + pump +
           "' and d1.hose_number='" + hose + "'";
}

inline const std::string backup = "EXEC SYNX_TWO_DB_TO_BK1_BK2";

// The reconciliation tool's readings.
inline std::string deliveriesCompleted(const std::string& from, const std::string& until) {
    return deliveries + "Completed_TS>='" + from + "' and Completed_TS<'" + until +
           "' order by cast(delivery_id as int) asc";
}

inline std::string readingsBefore(const std::string& moment) {
    return "select d.Hose_ID,d.Delivery_ID,d.Completed_TS,d.Delivery_Volume,d.Delivery_Value,d.Hose_Meter_Volume,"
           "d.Hose_Meter_Value from Hose_Delivery d where d.Completed_TS=(select max(p.Completed_TS) from "
           "Hose_Delivery p where p.Hose_ID=d.Hose_ID and p.Completed_TS<'" + moment + "')";
}

inline std::string dailySales(const std::string& from, const std::string& until) {
    return "select Delivery_ID,S_Date,VocNo from D17_DailySale where S_Date>='" + from + "' and S_Date<'" + until +
           "'";
}

inline const std::string hoseFuelTypes = "select pump_no,hose_number,fueltypecode from D10_Hose";
inline const std::string lastSale = "select max(S_Date) as Last_S_Date from D17_DailySale";

inline std::string dailySaleCall(bool withReturnValue) {
    std::string markers = "?";
    for (int i = 1; i < 24; ++i) markers += ",?";
    return std::string(withReturnValue ? "{? = call " : "{call ") + "INS_UPD_D17_DailySale1(" + markers + ")}";
}

}  // namespace vantrok::sim::texts
