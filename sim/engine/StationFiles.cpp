#include "sim/engine/StationFiles.h"

#include <filesystem>

#include "sim/engine/Schema.h"
#include "sim/engine/TextUtil.h"

namespace vantrok::sim {

std::string databaseFile(const std::string& stationDir, std::string_view database) {
    return stationDir + "/" + std::string(database) + ".sqlite";
}

std::string faultsFile(const std::string& stationDir) { return stationDir + "/faults"; }

std::string statementLogFile(const std::string& stationDir) { return stationDir + "/statements.log"; }

std::string lenientMarkFile(const std::string& stationDir) { return stationDir + "/lenient"; }

bool isLenientStation(const std::string& stationDir) {
    std::error_code ec;
    return std::filesystem::exists(lenientMarkFile(stationDir), ec);
}

std::string salesSnapshotMarkFile(const std::string& stationDir) {
    return stationDir + "/torvane-read-committed-snapshot";
}

bool salesReadCommittedSnapshot(const std::string& stationDir) {
    std::error_code ec;
    return std::filesystem::exists(salesSnapshotMarkFile(stationDir), ec);
}

std::optional<std::string> stationDatabase(std::string_view name) {
    for (std::string_view known : {controllerDatabase, salesDatabase, salesBackupDatabases[0], salesBackupDatabases[1]})
        if (equalsIgnoreCase(name, known)) return std::string(known);
    return std::nullopt;
}

}  // namespace vantrok::sim
