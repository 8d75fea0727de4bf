#pragma once

#include <optional>
#include <string>

#include "sim/engine/Session.h"
#include "sim/engine/Sqlite.h"
#include "sim/engine/StatementTemplates.h"

namespace vantrok::sim {

// The reconciliation's plain reads besides the delivery rows: each hose's
// last delivery before a moment, the daily sales dated in a span of time,
// the whole hose master, and the latest daily sale's date.
class ReconciliationReads {
public:
    explicit ReconciliationReads(sqlite::Database& db) : db_(db) {}
    ResultTable run(const MatchedStatement& statement);

private:
    ResultTable readingsBefore(const std::string& literal);
    ResultTable dailySales(const std::string& from, const std::string& until);
    ResultTable hoseFuelTypes();
    ResultTable lastSale();

    sqlite::Database& db_;
    std::optional<sqlite::Statement> readings_;
    std::optional<sqlite::Statement> sales_;
    std::optional<sqlite::Statement> hoses_;
    std::optional<sqlite::Statement> lastSale_;
};

}  // namespace vantrok::sim
