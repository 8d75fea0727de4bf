#include "sim/engine/ReconciliationReads.h"

#include <span>
#include <vector>

#include "sim/engine/Schema.h"
#include "sim/engine/SqlDateTime.h"
#include "sim/engine/TextUtil.h"

namespace vantrok::sim {

namespace {

ResultColumn columnOf(const TableDef& table, std::string_view name) {
    for (const ColumnDef& column : table.columns)
        if (equalsIgnoreCase(column.name, name)) return describe(column);
    return describe(ColumnDef{name, SqlType::VarChar, 255, 0, true});
}

const TableDef& tableNamed(std::span<const TableDef> tables, std::string_view name) {
    for (const TableDef& table : tables)
        if (table.name == name) return table;
    return tables.front();
}

std::vector<ResultColumn> columnsOf(const TableDef& table, std::initializer_list<std::string_view> names) {
    std::vector<ResultColumn> columns;
    for (std::string_view name : names) columns.push_back(columnOf(table, name));
    return columns;
}

ResultTable rows(sqlite::Statement& s, std::vector<ResultColumn> columns) {
    ResultTable table;
    table.columns = std::move(columns);
    while (s.step()) {
        Row row;
        for (std::size_t i = 0; i < table.columns.size(); ++i)
            row.push_back(inColumnForm(s.optionalText(static_cast<int>(i)), table.columns[i]));
        table.rows.push_back(std::move(row));
    }
    s.reset();
    return table;
}

}  // namespace

ResultTable ReconciliationReads::run(const MatchedStatement& statement) {
    switch (statement.kind) {
    case StatementKind::ReadingsBefore: return readingsBefore(statement.literals[0]);
    case StatementKind::DailySales: return dailySales(statement.literals[0], statement.literals[1]);
    case StatementKind::HoseFuelTypes: return hoseFuelTypes();
    case StatementKind::LastSale: return lastSale();
    default: return {};
    }
}

ResultTable ReconciliationReads::readingsBefore(const std::string& literal) {
    const std::string before = storedBound(datetimeFromLiteral(literal));
    // The tables of the connection's own database only, as the server reads an unqualified name.
    if (!readings_)
        readings_.emplace(db_.prepare(
            "SELECT d.Hose_ID, d.Delivery_ID, d.Completed_TS, d.Delivery_Volume, d.Delivery_Value, "
            "d.Hose_Meter_Volume, d.Hose_Meter_Value FROM main.Hose_Delivery d JOIN "
            "(SELECT Hose_ID, max(Completed_TS) AS Last FROM main.Hose_Delivery WHERE Completed_TS < ?1 "
            "GROUP BY Hose_ID) p ON d.Hose_ID = p.Hose_ID AND d.Completed_TS = p.Last"));
    readings_->bind(1, before);
    return rows(*readings_, columnsOf(tableNamed(controllerTables(), "Hose_Delivery"),
                                      {"Hose_ID", "Delivery_ID", "Completed_TS", "Delivery_Volume", "Delivery_Value",
                                       "Hose_Meter_Volume", "Hose_Meter_Value"}));
}

ResultTable ReconciliationReads::dailySales(const std::string& from, const std::string& until) {
    const std::string first = storedBound(datetimeFromLiteral(from));
    const std::string end = storedBound(datetimeFromLiteral(until));
    if (!sales_)
        sales_.emplace(db_.prepare(
            "SELECT Delivery_ID, S_Date, VocNo FROM main.D17_DailySale WHERE S_Date >= ?1 AND S_Date < ?2"));
    sales_->bind(1, first);
    sales_->bind(2, end);
    return rows(*sales_, columnsOf(tableNamed(salesTables(), "D17_DailySale"), {"Delivery_ID", "S_Date", "VocNo"}));
}

ResultTable ReconciliationReads::hoseFuelTypes() {
    if (!hoses_)
        hoses_.emplace(db_.prepare("SELECT pump_no, hose_number, fueltypecode FROM main.D10_Hose ORDER BY rowid"));
    return rows(*hoses_, columnsOf(tableNamed(salesTables(), "D10_Hose"), {"pump_no", "hose_number", "fueltypecode"}));
}

ResultTable ReconciliationReads::lastSale() {
    // An aggregate without GROUP BY gives one row, NULL when no date is
    // stored; the stored form sorts in time order, with or without milliseconds.
    if (!lastSale_) lastSale_.emplace(db_.prepare("SELECT max(S_Date) FROM main.D17_DailySale"));
    ResultColumn column = columnOf(tableNamed(salesTables(), "D17_DailySale"), "S_Date");
    column.name = "Last_S_Date";
    column.nullable = true;
    return rows(*lastSale_, {column});
}

}  // namespace vantrok::sim
