#pragma once

#include <optional>
#include <vector>

#include "sim/engine/Session.h"
#include "sim/engine/Sqlite.h"

namespace vantrok::sim {

// INS_UPD_D17_DailySale1: converts its 24 arguments to their declared types
// and stores them as one D17_DailySale row.
class DailySaleProcedure {
public:
    explicit DailySaleProcedure(sqlite::Database& db) : db_(db) {}
    // refuse: the station's fault switch; the procedure then raises an error
    // after taking its arguments, as a failing body would.
    void run(const std::vector<ParamValue>& arguments, bool refuse);

private:
    sqlite::Database& db_;
    std::optional<sqlite::Statement> insert_;
};

}  // namespace vantrok::sim
