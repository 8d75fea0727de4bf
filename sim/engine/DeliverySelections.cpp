#include "sim/engine/DeliverySelections.h"

#include <string>

#include "sim/engine/Schema.h"
#include "sim/engine/SqlDecimal.h"
#include "sim/engine/SqlInt.h"

namespace vantrok::sim {

namespace {

std::string selectionSql(const char* dateColumn) {
    std::string column = std::string("Hose_Delivery.") + dateColumn;
    // Whole months and days are ranges of the stored datetime text, so the
    // indexes serve them. isnull(Delivery_ID,0) leaves no NULL in the list.
    return "SELECT Hose_Delivery.*, Hoses.Pump_ID, Hoses.Hose_Number AS S_Hose_ID "
           "FROM Hose_Delivery LEFT JOIN Hoses ON Hose_Delivery.Hose_ID = Hoses.Hose_ID "
           "WHERE Hose_Delivery.Delivery_Type = ?1 AND " + column + " >= ?2 AND " + column + " < ?3 "
           "AND Hose_Delivery.Delivery_ID NOT IN (SELECT ifnull(Delivery_ID, 0) FROM torvane.d17_dailysale "
           "WHERE S_Date >= ?4 AND S_Date < ?5 OR S_Date >= ?6 AND S_Date < ?7) "
           "ORDER BY Hose_Delivery.Delivery_ID";
}

// Rows written by other tools may hold a datetime without its milliseconds or
// a decimal without all its digits; clients get the column's own form.
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

void bindRange(sqlite::Statement& s, int first, const std::optional<StoredRange>& range) {
    // A month or day that does not exist matches nothing, as date parts never equal it.
    s.bind(first, range ? std::string_view(range->first) : std::string_view());
    s.bind(first + 1, range ? std::string_view(range->last) : std::string_view());
}

}  // namespace

ResultTable DeliverySelections::run(const MatchedStatement& statement) {
    std::vector<int> n;
    for (const std::string& literal : statement.literals) n.push_back(intFromLiteral(literal));
    switch (statement.kind) {
    case StatementKind::LiveSelection:
        return select(cleared_, "Cleared_Date_Time", 6, monthRange(n[1], n[0]), monthRange(n[3], n[2]), std::nullopt);
    case StatementKind::LiveSelectionWidened:
        return select(cleared_, "Cleared_Date_Time", 6, monthRange(n[1], n[0]), monthRange(n[3], n[2]),
                      monthRange(n[5], n[4]));
    case StatementKind::OfflineSelection:
        return select(completed_, "Completed_TS", 14, dayRange(n[2], n[1], n[0]), dayRange(n[5], n[4], n[3]),
                      std::nullopt);
    default: return {};
    }
}

ResultTable DeliverySelections::select(Query& query, const char* dateColumn, int deliveryType,
                                       const std::optional<StoredRange>& dates,
                                       const std::optional<StoredRange>& carried,
                                       const std::optional<StoredRange>& carriedToo) {
    if (!query.statement) {
        query.statement.emplace(db_.prepare(selectionSql(dateColumn)));
        int count = query.statement->columnCount();
        for (int i = 0; i < count; ++i) {
            // The hose number travels under its alias with its own type.
            bool alias = i == count - 1;
            ResultColumn c = describeStoredColumn(alias ? "Hose_Number" : query.statement->columnName(i));
            if (alias) c.name = "S_Hose_ID";
            if (i >= count - 2) c.nullable = true;  // the outer join may find no Hoses row
            query.columns.push_back(c);
        }
    }
    sqlite::Statement& s = *query.statement;
    ResultTable table;
    table.columns = query.columns;
    s.bind(1, std::int64_t{deliveryType});
    bindRange(s, 2, dates);
    bindRange(s, 4, carried);
    bindRange(s, 6, carriedToo);
    while (s.step()) {
        Row row;
        row.reserve(table.columns.size());
        for (std::size_t i = 0; i < table.columns.size(); ++i)
            row.push_back(inColumnForm(s.optionalText(static_cast<int>(i)), table.columns[i]));
        table.rows.push_back(std::move(row));
    }
    s.reset();
    return table;
}

}  // namespace vantrok::sim
