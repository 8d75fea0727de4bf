#include "bench/LogCounts.h"

#include <string_view>

#include "sim/engine/StatementLog.h"

namespace vantrok::bench {

namespace {

enum class Kind { Invoice, Fuel, Procedure, Other };

Kind salesKind(std::string_view text) {
    if (text.starts_with("select 'INV/")) return Kind::Invoice;
    if (text.starts_with("select d1.fueltypecode ")) return Kind::Fuel;
    if (text.find("call INS_UPD_D17_DailySale1(") != std::string_view::npos) return Kind::Procedure;
    return Kind::Other;
}

}  // namespace

LogCounts countStatements(const std::string& stationDir) {
    LogCounts counts;
    const std::string describe = sim::procedureColumnsLogText("INS_UPD_D17_DailySale1");
    Kind expected = Kind::Invoice;
    for (const sim::LogEntry& entry : sim::readStatementLog(stationDir)) {
        const std::string_view text = entry.text;
        if (entry.database == "enablerdb") {
            if (text.find("delivery_type in ('6')") != std::string_view::npos) ++counts.liveSelections;
            else if (text.find("delivery_type in ('14')") != std::string_view::npos) ++counts.offlineSelections;
            else ++counts.otherController;
            continue;
        }
        if (text == describe) {
            ++counts.procedureDescriptions;
            continue;
        }
        const Kind kind = salesKind(text);
        switch (kind) {
        case Kind::Invoice: ++counts.invoiceQueries; break;
        case Kind::Fuel: ++counts.fuelQueries; break;
        case Kind::Procedure: ++counts.procedureCalls; break;
        case Kind::Other: ++counts.otherSales; break;
        }
        if (kind != expected) ++counts.outOfOrder;
        expected = kind == Kind::Invoice ? Kind::Fuel : kind == Kind::Fuel ? Kind::Procedure : Kind::Invoice;
    }
    return counts;
}

}  // namespace vantrok::bench
