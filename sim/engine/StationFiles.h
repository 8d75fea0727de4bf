#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrok::sim {

// A station is one folder: one SQLite file per database, the fault switches
// and the statement log.
std::string databaseFile(const std::string& stationDir, std::string_view database);
std::string faultsFile(const std::string& stationDir);
std::string statementLogFile(const std::string& stationDir);
// Present in a station made to answer as leniently as the first simulator did
// (see docs/station-simulator.md); absent, the station is as strict as the
// real server and driver.
std::string lenientMarkFile(const std::string& stationDir);
// Present in a station whose sales database has READ_COMMITTED_SNAPSHOT on.
std::string salesSnapshotMarkFile(const std::string& stationDir);
bool salesReadCommittedSnapshot(const std::string& stationDir);
bool isLenientStation(const std::string& stationDir);

// The station's name for a database named in a connection (names compare
// case-insensitively); nullopt for a database the station does not hold.
std::optional<std::string> stationDatabase(std::string_view name);

}  // namespace vantrok::sim
