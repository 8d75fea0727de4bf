#include "sim/engine/Schema.h"

#include <array>

#include "sim/engine/SqlDateTime.h"
#include "sim/engine/SqlDecimal.h"
#include "sim/engine/TextUtil.h"

namespace vantrok::sim {

namespace {

using T = SqlType;

constexpr ColumnDef hoseDelivery[] = {
    {"Delivery_ID", T::Int, 10, 0, false},       {"Hose_ID", T::Int, 10, 0, false},
    {"Delivery_Type", T::Int, 10, 0, false},     {"Delivery_State", T::Int, 10, 0, false},
    {"Delivery_Volume", T::Decimal, 12, 3, true}, {"Delivery_Value", T::Decimal, 12, 2, true},
    {"Del_Sell_Price", T::Decimal, 12, 3, true},  {"Price_Level", T::Int, 10, 0, true},
    {"Attendant_ID", T::Int, 10, 0, true},        {"Completed_TS", T::DateTime, 23, 3, false},
    {"Cleared_Date_Time", T::DateTime, 23, 3, true}, {"Hose_Meter_Volume", T::Decimal, 15, 3, true},
    {"Hose_Meter_Value", T::Decimal, 15, 2, true},
};

constexpr ColumnDef hoses[] = {
    {"Hose_ID", T::Int, 10, 0, false},  {"Pump_ID", T::Int, 10, 0, true},  {"Hose_Number", T::Int, 10, 0, true},
    {"Grade_ID", T::Int, 10, 0, true},  {"Tank_ID", T::Int, 10, 0, true},
};

constexpr ColumnDef hoseMaster[] = {
    {"pump_no", T::Int, 10, 0, false},
    {"hose_number", T::Int, 10, 0, false},
    {"fueltypecode", T::VarChar, 10, 0, true},
    {"tank_no", T::Int, 10, 0, true},
};

constexpr ColumnDef fuelTypes[] = {
    {"fueltypecode", T::VarChar, 10, 0, false},
    {"fueltypename", T::VarChar, 50, 0, true},
};

constexpr ColumnDef tanks[] = {
    {"tank_no", T::Int, 10, 0, false},
    {"fueltypecode", T::VarChar, 10, 0, true},
    {"capacity", T::Decimal, 12, 3, true},
};

constexpr ColumnDef saleParameters[] = {
    {"VocNo", T::VarChar, 50, 0, true},        {"S_Date", T::DateTime, 23, 3, true},
    {"CustCode", T::VarChar, 50, 0, true},     {"FuelTypeCode", T::VarChar, 10, 0, true},
    {"Pump_No", T::Int, 10, 0, true},          {"UserName", T::VarChar, 50, 0, true},
    {"ShiftNo", T::VarChar, 10, 0, true},      {"SaleType", T::VarChar, 10, 0, true},
    {"PayMode", T::VarChar, 10, 0, true},      {"Qty_Gallons", T::Decimal, 18, 4, true},
    {"Rate", T::Decimal, 18, 3, true},         {"Amount", T::Decimal, 18, 2, true},
    {"Discount", T::Decimal, 18, 2, true},     {"Tax", T::Decimal, 18, 2, true},
    {"Remarks", T::VarChar, 50, 0, true},      {"Qty_Litres", T::Decimal, 18, 3, true},
    {"Delivery_ID", T::Int, 10, 0, true},      {"Hose_No", T::Int, 10, 0, true},
    {"Meter_Volume", T::Decimal, 18, 3, true}, {"Meter_Value", T::Decimal, 18, 2, true},
    {"Posted", T::Int, 10, 0, true},           {"Printed", T::Int, 10, 0, true},
    {"Cancelled", T::Int, 10, 0, true},        {"Exported", T::Int, 10, 0, true},
};

constexpr std::array<TableDef, 2> controller = {{
    {"Hose_Delivery", hoseDelivery,
     "CREATE INDEX Hose_Delivery_Cleared ON Hose_Delivery(Delivery_Type, Cleared_Date_Time);"
     "CREATE INDEX Hose_Delivery_Completed ON Hose_Delivery(Delivery_Type, Completed_TS);"
     "CREATE INDEX Hose_Delivery_Hose ON Hose_Delivery(Hose_ID, Delivery_ID);"},
    {"Hoses", hoses, "CREATE INDEX Hoses_Pump ON Hoses(Pump_ID, Hose_Number);"},
}};

constexpr std::array<TableDef, 4> sales = {{
    {"D17_DailySale", saleParameters,
     // Covers what the invoice query and the selections' exclusion read of a
     // day or a month, so neither visits the table itself.
     "CREATE INDEX D17_DailySale_S_Date ON D17_DailySale(S_Date, VocNo, Delivery_ID);"},
    {"D10_Hose", hoseMaster, "CREATE INDEX D10_Hose_Pump ON D10_Hose(pump_no, hose_number);"},
    {"d1_fueltype", fuelTypes, ""},
    {"d9_tank", tanks, ""},
}};

}  // namespace

std::span<const TableDef> controllerTables() { return controller; }
std::span<const TableDef> salesTables() { return sales; }
std::span<const ColumnDef> dailySaleParameters() { return saleParameters; }

ResultColumn describe(const ColumnDef& column) {
    ResultColumn c;
    c.name = std::string(column.name);
    c.type = column.type;
    c.nullable = column.nullable;
    switch (column.type) {
    case SqlType::Int: c.precision = 10; break;
    case SqlType::DateTime: c.precision = 23; c.scale = 3; break;
    case SqlType::Decimal: c.precision = column.precision; c.scale = column.scale; break;
    case SqlType::VarChar: c.precision = column.precision; break;
    }
    return c;
}

ResultColumn describeStoredColumn(std::string_view name) {
    for (const auto& tables : {controllerTables(), salesTables()})
        for (const TableDef& table : tables)
            for (const ColumnDef& column : table.columns)
                if (equalsIgnoreCase(column.name, name)) {
                    ResultColumn c = describe(column);
                    c.name = std::string(name);
                    return c;
                }
    return describe(ColumnDef{name, SqlType::VarChar, 255, 0, true});
}

Cell inColumnForm(Cell cell, const ResultColumn& column) {
    if (!cell) return cell;
    if (column.type == SqlType::DateTime) {
        SqlDateTime t;
        if (parseTimestampText(*cell, t) == DateParse::Ok) return t.toText();
    } else if (column.type == SqlType::Decimal) {
        auto d = SqlDecimal::parse(*cell);
        auto fitted = d ? d->fitTo(column.precision, column.scale) : std::nullopt;
        if (fitted) return fitted->toString();
    }
    return cell;
}

std::string createStatement(const TableDef& table) {
    std::string sql = "CREATE TABLE " + std::string(table.name) + " (";
    // The first column of the controller's and the hose master's tables is
    // their key; the daily sales have no key of their own.
    bool keyed = table.name != "D17_DailySale" && table.name != "D10_Hose";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const ColumnDef& c = table.columns[i];
        if (i) sql += ", ";
        sql += std::string(c.name) + (c.type == SqlType::Int ? " INTEGER" : " TEXT");
        if (c.type == SqlType::VarChar) sql += " COLLATE NOCASE";
        if (i == 0 && keyed) sql += " PRIMARY KEY";
        if (!c.nullable) sql += " NOT NULL";
    }
    sql += ");";
    sql += table.indexes;
    return sql;
}

}  // namespace vantrok::sim
