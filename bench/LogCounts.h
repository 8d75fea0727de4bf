#pragma once

#include <cstddef>
#include <string>

namespace vantrok::bench {

// What the station's statement log holds, by kind of statement.
struct LogCounts {
    std::size_t invoiceQueries = 0;
    std::size_t fuelQueries = 0;
    std::size_t procedureCalls = 0;
    std::size_t procedureDescriptions = 0;  // "{procedure columns: ...}"
    std::size_t otherSales = 0;             // anything else on torvane
    std::size_t liveSelections = 0;
    std::size_t offlineSelections = 0;
    std::size_t otherController = 0;  // anything else on enablerdb
    // Sales statements that break the invoice, fuel type, procedure rhythm.
    std::size_t outOfOrder = 0;

    std::size_t salesStatements() const { return invoiceQueries + fuelQueries + procedureCalls + otherSales; }
};

LogCounts countStatements(const std::string& stationDir);

}  // namespace vantrok::bench
