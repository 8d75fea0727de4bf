#pragma once

#include <optional>

#include "sim/engine/Session.h"
#include "sim/engine/Sqlite.h"
#include "sim/engine/StatementTemplates.h"

namespace vantrok::sim {

// The fuel-type code of one pump's hose from the hose master, outer-joined
// with the fuel types and tanks, the master's rows in their stored order.
class FuelTypeQuery {
public:
    explicit FuelTypeQuery(sqlite::Database& db) : db_(db) {}
    ResultTable run(const MatchedStatement& statement);

private:
    sqlite::Database& db_;
    std::optional<sqlite::Statement> query_;
};

}  // namespace vantrok::sim
