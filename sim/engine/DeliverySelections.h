#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/engine/Session.h"
#include "sim/engine/SqlDateTime.h"
#include "sim/engine/Sqlite.h"
#include "sim/engine/StatementTemplates.h"

namespace vantrok::sim {

// The controller's delivery selections: every Hose_Delivery column with the
// pump and hose number of its Hoses row. The imports' leave out deliveries
// that a daily sale of the given month(s) or day already carries; the
// reconciliation's takes every delivery completed in a span of time.
class DeliverySelections {
public:
    explicit DeliverySelections(sqlite::Database& db) : db_(db) {}
    ResultTable run(const MatchedStatement& statement);

private:
    struct Query {
        std::optional<sqlite::Statement> statement;
        std::vector<ResultColumn> columns;
    };
    ResultTable select(Query& query, const char* dateColumn, int deliveryType,
                       const std::optional<StoredRange>& dates, const std::optional<StoredRange>& carried,
                       const std::optional<StoredRange>& carriedToo, const std::string& completedFrom);
    ResultTable completedBetween(const SqlDateTime& from, const SqlDateTime& until);
    Query& prepared(Query& query, const std::string& sql);
    static ResultTable rows(Query& query);

    sqlite::Database& db_;
    Query cleared_;
    Query completed_;
    Query completedBetween_;
};

}  // namespace vantrok::sim
