#include "sim/engine/BackupProcedure.h"

#include <thread>

#include "sim/engine/Schema.h"
#include "sim/engine/SqlErrors.h"
#include "sim/engine/StationFiles.h"

namespace vantrok::sim {

void BackupProcedure::attachBackups() {
    if (attached_) return;
    for (std::string_view backup : salesBackupDatabases) {
        sqlite::Statement attach = db_.prepare("ATTACH DATABASE ?1 AS " + std::string(backup));
        attach.bind(1, databaseFile(stationDir_, backup));
        attach.run();
    }
    attached_ = true;
}

std::string BackupProcedure::versions() {
    std::string v = std::to_string(ownWrites_);
    for (std::string_view schema : {salesDatabase, salesBackupDatabases[0], salesBackupDatabases[1]}) {
        std::string name = schema == salesDatabase ? "main" : std::string(schema);
        sqlite::Statement s = db_.prepare("PRAGMA " + name + ".data_version");
        if (s.step()) v += "/" + std::to_string(s.integer(0));
    }
    return v;
}

ResultTable BackupProcedure::plan() {
    ResultTable table;
    table.columns = {{"TableName", SqlType::VarChar, 128, 0, false}, {"Rows", SqlType::Int, 10, 0, false}};
    for (const TableDef& t : salesTables()) {
        sqlite::Statement count = db_.prepare("SELECT count(*) FROM main." + std::string(t.name));
        count.step();
        table.rows.push_back({std::string(t.name), std::to_string(count.integer(0))});
    }
    return table;
}

void BackupProcedure::run(const FaultState& faults, std::chrono::seconds timeout) {
    if (faults.backupSeconds > 0) {
        std::chrono::seconds duration(faults.backupSeconds);
        if (timeout.count() > 0 && duration > timeout) {
            std::this_thread::sleep_for(timeout);
            throw errors::queryTimeout();
        }
        std::this_thread::sleep_for(duration);
    }
    if (faults.backupFails) throw errors::raised("SYNX_TWO_DB_TO_BK1_BK2: the backup databases could not be updated.");

    attachBackups();
    if (copiedAt_ && *copiedAt_ == versions()) return;
    for (std::string_view backup : salesBackupDatabases) {
        // Deferred: the first statement writes the backup, so only the backup
        // file is locked for writing; the sales tables are only read.
        sqlite::Transaction copy(db_, sqlite::Transaction::Mode::Deferred);
        for (const TableDef& table : salesTables()) {
            std::string target = std::string(backup) + "." + std::string(table.name);
            db_.exec("DELETE FROM " + target + "; INSERT INTO " + target + " SELECT * FROM main." +
                     std::string(table.name));
        }
        copy.commit();
    }
    copiedAt_ = versions();
}

}  // namespace vantrok::sim
