#pragma once

#include <optional>

#include "sim/engine/Outcome.h"
#include "sim/engine/SalesTableLock.h"
#include "sim/engine/Sqlite.h"
#include "sim/engine/StatementTemplates.h"

namespace vantrok::sim {

// What the carrying tool sends besides VANTROK's own statements: the count
// of a span's daily sales under an exclusive table lock, and the renumbering
// of one daily sale of its own.
class CarryStatements {
public:
    explicit CarryStatements(sqlite::Database& db) : db_(db) {}

    // The lock is taken before the count; without a transaction it ends with the statement.
    Outcome lockAndCount(const MatchedStatement& statement, SalesTableLock& lock, bool inTransaction,
                         std::chrono::seconds timeout, const CancelWait& cancelWait);
    Outcome renumber(const MatchedStatement& statement);

private:
    sqlite::Database& db_;
    std::optional<sqlite::Statement> count_;
    std::optional<sqlite::Statement> update_;
};

}  // namespace vantrok::sim
