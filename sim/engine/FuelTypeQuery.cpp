#include "sim/engine/FuelTypeQuery.h"

#include "sim/engine/Schema.h"
#include "sim/engine/SqlInt.h"

namespace vantrok::sim {

ResultTable FuelTypeQuery::run(const MatchedStatement& statement) {
    // pump_no and hose_number are int columns: the quoted values convert to int.
    std::int32_t pump = intFromLiteral(statement.literals[0]);
    std::int32_t hose = intFromLiteral(statement.literals[1]);
    if (!query_)
        query_.emplace(db_.prepare(
            "SELECT d1.fueltypecode FROM D10_Hose d1 "
            "LEFT JOIN d1_fueltype d2 ON d1.fueltypecode = d2.fueltypecode "
            "LEFT JOIN d9_tank d3 ON d1.tank_no = d3.tank_no "
            "WHERE d1.pump_no = ?1 AND d1.hose_number = ?2 ORDER BY d1.rowid"));
    sqlite::Statement& s = *query_;
    s.bind(1, std::int64_t{pump});
    s.bind(2, std::int64_t{hose});
    ResultTable table;
    table.columns.push_back(describeStoredColumn("fueltypecode"));
    while (s.step()) table.rows.push_back({s.optionalText(0)});
    s.reset();
    return table;
}

}  // namespace vantrok::sim
