#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantrok::sim::station {

// A request the station cannot carry out as given (bad value, unknown hose,
// taken id, no station in the folder); the message says what to change.
class StationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Creates a station in dir, which must not exist or be empty: the databases
// with a few pumps, hoses, fuel types and tanks, built aside and moved into
// place in one rename.
// Strict: the station answers as SQL Server and its driver do. Lenient: as the
// first simulator did, for comparison (see docs/station-simulator.md).
enum class Strictness { Strict, Lenient };
void initStation(const std::string& dir, Strictness strictness = Strictness::Strict);

// Throws StationError unless dir holds a station.
void requireStation(const std::string& dir);

// Writes dir/odbcinst.ini: the driver as "sql server" for this station, and
// unixODBC's own section (tracing into dir/odbc-trace.log when trace is set).
void registerStation(const std::string& dir, const std::string& driverPath, bool trace);

// Writes iniFolder/odbcinst.ini naming the driver as "sql server" with the
// station folder stationDir, which need not exist yet.
void writeOdbcInstIni(const std::string& iniFolder, const std::string& stationDir, const std::string& driverPath,
                      bool trace);

// One controller delivery. Decimal values are exact texts; nullopt stores NULL.
struct Delivery {
    int type = 6;
    std::optional<int> pump;    // with hose: the Hoses row of that pump's hose
    std::optional<int> hose;
    std::optional<int> hoseId;  // a Hose_ID as it is, with or without a Hoses row
    std::optional<std::string> volume;
    std::optional<std::string> price;
    std::optional<std::string> value;
    std::optional<std::string> completed;  // "YYYY-MM-DD HH:MM:SS[.fff]"; now by default
    std::optional<std::string> cleared;    // the completion time by default
    bool uncleared = false;
    std::optional<int> id;  // the next free id by default
    // The hose's meter readings; by default its last readings plus this delivery.
    std::optional<std::string> meterVolume;
    std::optional<std::string> meterValue;
    bool meterGiven = false;  // take meterVolume/meterValue as given, NULL included
};

// Records the delivery in one transaction; returns its Delivery_ID.
std::int64_t addDelivery(const std::string& dir, const Delivery& delivery);

// Every daily sale, as CSV: a header of the procedure's parameter names, then
// one row per sale in the order written. NULL is an empty field, an empty
// text is "".
std::string salesCsv(const std::string& dir);

// Sets (or with nullopt clears) the fuel-type code of one pump's hose in the
// hose master.
void setHoseFuel(const std::string& dir, int pump, int hose, const std::optional<std::string>& code);

// Runs SQLite statements on one database of the station; returns the rows of
// the last statement, tab-separated, NULL as "NULL".
std::string runSql(const std::string& dir, const std::string& database, const std::string& sql);

// The local time now as a stored datetime text.
std::string nowText();

}  // namespace vantrok::sim::station
