#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "sim/engine/Faults.h"
#include "sim/engine/ResultTable.h"
#include "sim/engine/Sqlite.h"

namespace vantrok::sim {

// SYNX_TWO_DB_TO_BK1_BK2: makes both backup databases copies of the sales
// tables. Skips the copy when neither the sales nor the backup files have
// changed since this connection last copied.
class BackupProcedure {
public:
    BackupProcedure(sqlite::Database& db, std::string stationDir) : db_(db), stationDir_(std::move(stationDir)) {}
    // What the copy is about to take: one row per sales table, its name and rows.
    ResultTable plan();
    void run(const FaultState& faults, std::chrono::seconds timeout);
    // This connection wrote to the sales tables itself (other connections'
    // writes show in the file's data version).
    void salesChanged() { ++ownWrites_; }

private:
    void attachBackups();
    std::string versions();

    sqlite::Database& db_;
    std::string stationDir_;
    bool attached_ = false;
    std::int64_t ownWrites_ = 0;
    std::optional<std::string> copiedAt_;
};

}  // namespace vantrok::sim
