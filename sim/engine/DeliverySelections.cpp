#include "sim/engine/DeliverySelections.h"

#include <string>

#include "sim/engine/Schema.h"
#include "sim/engine/SqlInt.h"

namespace vantrok::sim {

namespace {

constexpr const char* deliveryRows =
    "SELECT Hose_Delivery.*, Hoses.Pump_ID, Hoses.Hose_Number AS S_Hose_ID "
    "FROM Hose_Delivery LEFT JOIN Hoses ON Hose_Delivery.Hose_ID = Hoses.Hose_ID ";

std::string selectionSql(const char* dateColumn) {
    std::string column = std::string("Hose_Delivery.") + dateColumn;
    // Whole months and days are ranges of the stored datetime text, so the
    // indexes serve them. isnull(Delivery_ID,0) leaves no NULL in the list.
    return std::string(deliveryRows) +
           "WHERE Hose_Delivery.Delivery_Type = ?1 AND " + column + " >= ?2 AND " + column + " < ?3 "
           "AND Hose_Delivery.Delivery_ID NOT IN (SELECT ifnull(Delivery_ID, 0) FROM torvane.d17_dailysale "
           "WHERE S_Date >= ?4 AND S_Date < ?5 OR S_Date >= ?6 AND S_Date < ?7) "
           "AND Hose_Delivery.Completed_TS >= ?8 "
           "ORDER BY Hose_Delivery.Delivery_ID";
}

void bindRange(sqlite::Statement& s, int first, const std::optional<StoredRange>& range) {
    // A month or day that does not exist matches nothing, as date parts never equal it.
    s.bind(first, range ? std::string_view(range->first) : std::string_view());
    s.bind(first + 1, range ? std::string_view(range->last) : std::string_view());
}

}  // namespace

ResultTable DeliverySelections::run(const MatchedStatement& statement) {
    const std::vector<std::string>& literals = statement.literals;
    std::vector<int> n;
    auto numbers = [&](std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) n.push_back(intFromLiteral(literals[i]));
    };
    switch (statement.kind) {
    case StatementKind::LiveSelection:
        numbers(4);
        return select(cleared_, "Cleared_Date_Time", 6, monthRange(n[1], n[0]), monthRange(n[3], n[2]), std::nullopt,
                      "");
    case StatementKind::LiveSelectionWindowed: {
        numbers(6);
        const std::string completedFrom = storedBound(datetimeFromLiteral(literals[6]));
        return select(cleared_, "Cleared_Date_Time", 6, monthRange(n[1], n[0]), monthRange(n[3], n[2]),
                      monthRange(n[5], n[4]), completedFrom);
    }
    case StatementKind::OfflineSelection:
        numbers(6);
        return select(completed_, "Completed_TS", 14, dayRange(n[2], n[1], n[0]), dayRange(n[5], n[4], n[3]),
                      std::nullopt, "");
    case StatementKind::DeliveriesCompleted:
        return completedBetween(datetimeFromLiteral(literals[0]), datetimeFromLiteral(literals[1]));
    default: return {};
    }
}

DeliverySelections::Query& DeliverySelections::prepared(Query& query, const std::string& sql) {
    if (query.statement) return query;
    query.statement.emplace(db_.prepare(sql));
    int count = query.statement->columnCount();
    for (int i = 0; i < count; ++i) {
        // The hose number travels under its alias with its own type.
        bool alias = i == count - 1;
        ResultColumn c = describeStoredColumn(alias ? "Hose_Number" : query.statement->columnName(i));
        if (alias) c.name = "S_Hose_ID";
        if (i >= count - 2) c.nullable = true;  // the outer join may find no Hoses row
        query.columns.push_back(c);
    }
    return query;
}

ResultTable DeliverySelections::rows(Query& query) {
    sqlite::Statement& s = *query.statement;
    ResultTable table;
    table.columns = query.columns;
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

ResultTable DeliverySelections::select(Query& query, const char* dateColumn, int deliveryType,
                                       const std::optional<StoredRange>& dates,
                                       const std::optional<StoredRange>& carried,
                                       const std::optional<StoredRange>& carriedToo, const std::string& completedFrom) {
    sqlite::Statement& s = *prepared(query, selectionSql(dateColumn)).statement;
    s.bind(1, std::int64_t{deliveryType});
    bindRange(s, 2, dates);
    bindRange(s, 4, carried);
    bindRange(s, 6, carriedToo);
    s.bind(8, completedFrom);
    return rows(query);
}

ResultTable DeliverySelections::completedBetween(const SqlDateTime& from, const SqlDateTime& until) {
    sqlite::Statement& s =
        *prepared(completedBetween_, std::string(deliveryRows) +
                                         "WHERE Hose_Delivery.Completed_TS >= ?1 AND Hose_Delivery.Completed_TS < ?2 "
                                         "ORDER BY Hose_Delivery.Delivery_ID")
             .statement;
    s.bind(1, storedBound(from));
    s.bind(2, storedBound(until));
    return rows(completedBetween_);
}

}  // namespace vantrok::sim
