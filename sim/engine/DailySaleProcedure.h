#pragma once

#include <optional>
#include <vector>

#include "sim/engine/Session.h"
#include "sim/engine/Sqlite.h"

namespace vantrok::sim {

// INS_UPD_D17_DailySale1: converts its 24 arguments to their declared types
// and stores them as the D17_DailySale row of their voucher number and
// completion time: an update of that row when there is one, else an insert.
class DailySaleProcedure {
public:
    explicit DailySaleProcedure(sqlite::Database& db) : db_(db) {}
    // The arguments in their declared types, as the server converts them
    // before the body runs. Throws SimError (8114, 201, 8144).
    std::vector<Cell> convert(const std::vector<ParamValue>& arguments) const;
    // Rewrites the sale that has the same voucher number; returns the rows changed.
    long update(const std::vector<Cell>& values);
    void insert(const std::vector<Cell>& values);

private:
    void bind(sqlite::Statement& statement, const std::vector<Cell>& values) const;

    sqlite::Database& db_;
    std::optional<sqlite::Statement> insert_;
    std::optional<sqlite::Statement> exists_;
    std::optional<sqlite::Statement> update_;
};

}  // namespace vantrok::sim
