#include "bench/BenchStation.h"

#include <fstream>

#include "import/InvoiceNumber.h"
#include "import/NumberText.h"
#include "sim/engine/Schema.h"
#include "sim/engine/StationFiles.h"

namespace vantrok::bench {

namespace {

// The stored form of a moment of the bench month: "2016-11-05 08:00:00.000".
// day and second are SQL expressions.
std::string storedMoment(const std::string& day, const std::string& second) {
    return "printf('" + paddedText(benchNow.year, 4) + "-" + paddedText(benchNow.month, 2) +
           "-%02d %02d:%02d:%02d.000', " + day + ", (" + second + ")/3600, (" + second + ")/60%60, (" + second +
           ")%60)";
}

std::string numbers(int count) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < " + decimalText(count) + ") ";
}

// Deliveries i = 1..count go to the days firstDay.. firstDay+span-1 in turn,
// each day's share spread evenly over its 24 hours.
void insertDeliveries(testing::TestStation& station, int count, std::int64_t first, int firstDay, int span) {
    if (count <= 0) return;
    const std::string perDay = decimalText((count + span - 1) / span);
    const std::string day = decimalText(firstDay) + " + (i-1) % " + decimalText(span);
    const std::string second = "(i-1) / " + decimalText(span) + " * 86400 / " + perDay;
    const std::string moment = storedMoment(day, second);
    station.sql("enablerdb",
                numbers(count) +
                    "INSERT INTO Hose_Delivery (Delivery_ID, Hose_ID, Delivery_Type, Delivery_State, "
                    "Delivery_Volume, Delivery_Value, Del_Sell_Price, Price_Level, Attendant_ID, Completed_TS, "
                    "Cleared_Date_Time, Hose_Meter_Volume, Hose_Meter_Value) "
                    "SELECT " + decimalText(first) + " + i, 1 + (i-1) % 12, 6, 2, '20.000', '29.18', '1.459', 1, "
                    "NULL, " + moment + ", " + moment + ", printf('%d.000', i*20), "
                    "printf('%d.%02d', i*2918/100, i*2918%100) FROM n");
}

}  // namespace

void BenchStation::addLiveDeliveries(int count, std::int64_t first) {
    insertDeliveries(station_, count, first, 1, benchMonthDays);
}

void BenchStation::addLiveDeliveriesOn(int day, int count, std::int64_t first) {
    insertDeliveries(station_, count, first, day, 1);
}

void BenchStation::addDaySales(int day, int count) {
    if (count <= 0) return;
    const db::DateTime date{benchNow.year, benchNow.month, day, 0, 0, 0, 0};
    const std::string second = "(i-1) * 86400 / " + decimalText(count);
    station_.sql("torvane",
                 numbers(count) +
                     "INSERT INTO D17_DailySale (VocNo, S_Date, CustCode, FuelTypeCode, Pump_No, UserName, "
                     "ShiftNo, SaleType, PayMode, Qty_Gallons, Rate, Amount, Discount, Tax, Remarks, Qty_Litres, "
                     "Delivery_ID, Hose_No, Meter_Volume, Meter_Value, Posted, Printed, Cancelled, Exported) "
                     "SELECT 'INV/C9/" + invoiceDayText(date) + "/' || i, " +
                     storedMoment(decimalText(day), second) +
                     ", '', 'ULP', 1, 'Admin', '1', '1', '9', '4.3995', '1.459', '29.18', '0.00', '0.00', '', "
                     "'20.000', " + decimalText(100'000'000 + day * 1'000'000) +
                     " + i, 1, '0.000', '0.00', 0, 0, 0, 0 FROM n");
}

void BenchStation::addCarriedSales() {
    station_.sql("torvane",
                 "ATTACH DATABASE '" + sim::databaseFile(station_.dir(), sim::controllerDatabase) +
                     "' AS controller; "
                     "INSERT INTO D17_DailySale (VocNo, S_Date, CustCode, FuelTypeCode, Pump_No, UserName, "
                     "ShiftNo, SaleType, PayMode, Qty_Gallons, Rate, Amount, Discount, Tax, Remarks, Qty_Litres, "
                     "Delivery_ID, Hose_No, Meter_Volume, Meter_Value, Posted, Printed, Cancelled, Exported) "
                     "SELECT 'INV/C9/' || substr(Completed_TS, 9, 2) || CAST(substr(Completed_TS, 6, 2) AS INTEGER) "
                     "|| substr(Completed_TS, 3, 2) || '/' || row_number() OVER (PARTITION BY "
                     "substr(Completed_TS, 1, 10) ORDER BY Delivery_ID), Completed_TS, '', 'ULP', 1, 'Admin', '1', "
                     "'1', '9', '4.3995', Del_Sell_Price, Delivery_Value, '0.00', '0.00', '', Delivery_Volume, "
                     "Delivery_ID, 1, Hose_Meter_Volume, Hose_Meter_Value, 0, 0, 0, 0 "
                     "FROM controller.Hose_Delivery WHERE Delivery_Type = 6 ORDER BY Delivery_ID; "
                     "DETACH DATABASE controller");
}

void BenchStation::clearStatementLog() {
    std::ofstream(sim::statementLogFile(station_.dir()), std::ios::trunc).flush();
}

}  // namespace vantrok::bench
