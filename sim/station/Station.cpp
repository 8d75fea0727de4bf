#include "sim/station/Station.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "sim/engine/Schema.h"
#include "sim/engine/SqlDateTime.h"
#include "sim/engine/SqlDecimal.h"
#include "sim/engine/Sqlite.h"
#include "sim/engine/StationFiles.h"

namespace vantrok::sim::station {

namespace fs = std::filesystem;

namespace {

struct Grade {
    const char* code;
    const char* name;
};
constexpr Grade grades[] = {{"ULP", "Unleaded 95"}, {"PUL", "Premium unleaded 98"}, {"DSL", "Diesel"}};
constexpr int pumps = 4;

std::string absolute(const std::string& dir) {
    fs::path path = fs::absolute(fs::path(dir)).lexically_normal();
    return (path.has_filename() ? path : path.parent_path()).string();  // "DIR/" is DIR
}

// A station is built aside and renamed into place only once complete, so
// building it needs no syncing to disk.
void openForBuilding(sqlite::Database& db) { db.exec("PRAGMA synchronous=OFF"); }

void createDatabase(const std::string& path, std::span<const TableDef> tables) {
    sqlite::Database db(path, true);
    openForBuilding(db);
    // WAL lets VANTROK, the traffic and the tests read while one of them writes.
    db.exec("PRAGMA journal_mode=WAL");
    sqlite::Transaction t(db);
    for (const TableDef& table : tables) db.exec(createStatement(table));
    t.commit();
}

void seedController(const std::string& path) {
    sqlite::Database db(path, false);
    openForBuilding(db);
    sqlite::Transaction t(db);
    sqlite::Statement hose =
        db.prepare("INSERT INTO Hoses (Hose_ID, Pump_ID, Hose_Number, Grade_ID, Tank_ID) VALUES (?1, ?2, ?3, ?4, ?4)");
    for (int pump = 1; pump <= pumps; ++pump)
        for (int number = 1; number <= 3; ++number)
            hose.bind(1, std::int64_t{(pump - 1) * 3 + number}).bind(2, std::int64_t{pump}).bind(3, std::int64_t{number})
                .bind(4, std::int64_t{number}).run();
    t.commit();
}

void seedSales(const std::string& path) {
    sqlite::Database db(path, false);
    openForBuilding(db);
    sqlite::Transaction t(db);
    sqlite::Statement fuel = db.prepare("INSERT INTO d1_fueltype (fueltypecode, fueltypename) VALUES (?1, ?2)");
    sqlite::Statement tank = db.prepare("INSERT INTO d9_tank (tank_no, fueltypecode, capacity) VALUES (?1, ?2, '30000.000')");
    sqlite::Statement master =
        db.prepare("INSERT INTO D10_Hose (pump_no, hose_number, fueltypecode, tank_no) VALUES (?1, ?2, ?3, ?2)");
    for (int i = 0; i < 3; ++i) {
        fuel.bind(1, grades[i].code).bind(2, grades[i].name).run();
        tank.bind(1, std::int64_t{i + 1}).bind(2, grades[i].code).run();
    }
    for (int pump = 1; pump <= pumps; ++pump)
        for (int number = 1; number <= 3; ++number)
            master.bind(1, std::int64_t{pump}).bind(2, std::int64_t{number}).bind(3, grades[number - 1].code).run();
    t.commit();
}

// Writes a whole file beside its final name and renames it into place.
void writeFileAtomically(const std::string& path, const std::string& content) {
    std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << content;
        if (!out.flush()) throw StationError("cannot write " + temporary);
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) throw StationError("cannot replace " + path + ": " + ec.message());
}

const ColumnDef& deliveryColumn(std::string_view name) {
    for (const ColumnDef& c : controllerTables()[0].columns)
        if (c.name == name) return c;
    throw std::logic_error("no Hose_Delivery column " + std::string(name));
}

std::optional<std::string> exactDecimal(const std::optional<std::string>& text, std::string_view column) {
    if (!text) return std::nullopt;
    const ColumnDef& c = deliveryColumn(column);
    auto parsed = SqlDecimal::parse(*text);
    if (!parsed) throw StationError(std::string(column) + ": '" + *text + "' is no decimal number");
    auto fitted = parsed->fitTo(c.precision, c.scale);
    if (!fitted)
        throw StationError(std::string(column) + ": " + *text + " does not fit decimal(" + std::to_string(c.precision) +
                           "," + std::to_string(c.scale) + ")");
    return fitted->toString();
}

std::string timestamp(const std::string& text, std::string_view what) {
    SqlDateTime t;
    if (parseTimestampText(text, t) != DateParse::Ok)
        throw StationError(std::string(what) + ": '" + text + "' is no date-time of the form YYYY-MM-DD HH:MM:SS");
    return t.toText();
}

// The last reading plus this delivery; a missing reading or amount counts as 0.
std::string advancedMeter(const std::optional<std::string>& last, const std::optional<std::string>& amount,
                          std::string_view column) {
    int scale = deliveryColumn(column).scale;
    auto value = [&](const std::optional<std::string>& text) -> std::int64_t {
        auto d = text ? SqlDecimal::parse(*text) : std::nullopt;
        auto scaled = d ? d->scaled(scale) : std::nullopt;
        return scaled.value_or(0);
    };
    return *exactDecimal(SqlDecimal::fromScaled(value(last) + value(amount), scale).toString(), column);
}

std::string csvField(const std::optional<std::string>& value) {
    if (!value) return "";
    if (!value->empty() && value->find_first_of(",\"\r\n") == std::string::npos) return *value;
    std::string quoted = "\"";
    for (char c : *value) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string stationFile(const std::string& dir, std::string_view database) {
    requireStation(dir);
    return databaseFile(dir, database);
}

}  // namespace

void initStation(const std::string& dir, Strictness strictness) {
    fs::path target = absolute(dir);
    std::error_code ec;
    if (fs::exists(target, ec) && !(fs::is_directory(target, ec) && fs::is_empty(target, ec)))
        throw StationError(target.string() + " already exists and is not empty");
    if (!fs::is_directory(target.parent_path(), ec))
        throw StationError("no folder " + target.parent_path().string() + " to create the station in");

    std::string pattern = target.string() + ".init-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw StationError("cannot create a folder beside " + target.string());
    std::string building = pattern;
    fs::permissions(building, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec, ec);
    try {
        createDatabase(databaseFile(building, controllerDatabase), controllerTables());
        for (std::string_view sales : {salesDatabase, salesBackupDatabases[0], salesBackupDatabases[1]})
            createDatabase(databaseFile(building, sales), salesTables());
        seedController(databaseFile(building, controllerDatabase));
        seedSales(databaseFile(building, salesDatabase));
        // The backups start as copies of the sales database.
        for (std::string_view backup : salesBackupDatabases) seedSales(databaseFile(building, backup));
        std::ofstream(statementLogFile(building)).flush();
        if (strictness == Strictness::Lenient) std::ofstream(lenientMarkFile(building)).flush();
        fs::rename(building, target);
    } catch (...) {
        fs::remove_all(building, ec);
        throw;
    }
}

void requireStation(const std::string& dir) {
    struct stat st {};
    if (::stat(databaseFile(dir, salesDatabase).c_str(), &st) != 0 ||
        ::stat(databaseFile(dir, controllerDatabase).c_str(), &st) != 0)
        throw StationError(dir + " holds no station (create one with: vantrok-station init " + dir + ")");
}

void registerStation(const std::string& dir, const std::string& driverPath, bool trace) {
    requireStation(dir);
    writeOdbcInstIni(dir, dir, driverPath, trace);
}

void writeOdbcInstIni(const std::string& iniFolder, const std::string& stationDir, const std::string& driverPath,
                      bool trace) {
    std::string folder = absolute(iniFolder);
    std::string ini = "[ODBC]\n"
                      "Trace=" + std::string(trace ? "Yes" : "No") + "\n"
                      "TraceFile=" + folder + "/odbc-trace.log\n"
                      "\n"
                      "[sql server]\n"
                      "Description=Station simulator\n"
                      "Driver=" + absolute(driverPath) + "\n"
                      "Station=" + absolute(stationDir) + "\n";
    writeFileAtomically(folder + "/odbcinst.ini", ini);
}

std::int64_t addDelivery(const std::string& dir, const Delivery& d) {
    sqlite::Database db(stationFile(dir, controllerDatabase), false);
    sqlite::Transaction t(db);

    std::int64_t hoseId = 0;
    if (d.hoseId) {
        hoseId = *d.hoseId;
    } else {
        if (!d.pump || !d.hose) throw StationError("a delivery needs --pump and --hose, or --hose-id");
        sqlite::Statement find = db.prepare("SELECT Hose_ID FROM Hoses WHERE Pump_ID = ?1 AND Hose_Number = ?2");
        find.bind(1, std::int64_t{*d.pump}).bind(2, std::int64_t{*d.hose});
        if (!find.step())
            throw StationError("pump " + std::to_string(*d.pump) + " has no hose " + std::to_string(*d.hose) +
                               " (--hose-id records a delivery for a hose the controller does not know)");
        hoseId = find.integer(0);
    }

    std::int64_t id = 0;
    if (d.id) {
        sqlite::Statement taken = db.prepare("SELECT 1 FROM Hose_Delivery WHERE Delivery_ID = ?1");
        if (taken.bind(1, std::int64_t{*d.id}).step())
            throw StationError("Delivery_ID " + std::to_string(*d.id) + " is already recorded");
        id = *d.id;
    } else {
        sqlite::Statement next = db.prepare("SELECT ifnull(max(Delivery_ID), 0) + 1 FROM Hose_Delivery");
        next.step();
        id = next.integer(0);
    }

    std::string completed = timestamp(d.completed.value_or(nowText()), "--completed");
    std::optional<std::string> cleared;
    if (!d.uncleared) cleared = d.cleared ? timestamp(*d.cleared, "--cleared") : completed;
    auto volume = exactDecimal(d.volume, "Delivery_Volume");
    auto price = exactDecimal(d.price, "Del_Sell_Price");
    auto value = exactDecimal(d.value, "Delivery_Value");

    std::optional<std::string> meterVolume, meterValue;
    if (d.meterGiven) {
        meterVolume = exactDecimal(d.meterVolume, "Hose_Meter_Volume");
        meterValue = exactDecimal(d.meterValue, "Hose_Meter_Value");
    } else {
        sqlite::Statement last = db.prepare(
            "SELECT Hose_Meter_Volume, Hose_Meter_Value FROM Hose_Delivery WHERE Hose_ID = ?1 "
            "ORDER BY Delivery_ID DESC LIMIT 1");
        last.bind(1, hoseId);
        bool found = last.step();
        meterVolume = advancedMeter(found ? last.optionalText(0) : std::nullopt, volume, "Hose_Meter_Volume");
        meterValue = advancedMeter(found ? last.optionalText(1) : std::nullopt, value, "Hose_Meter_Value");
    }

    sqlite::Statement insert = db.prepare(
        "INSERT INTO Hose_Delivery (Delivery_ID, Hose_ID, Delivery_Type, Delivery_State, Delivery_Volume, "
        "Delivery_Value, Del_Sell_Price, Price_Level, Attendant_ID, Completed_TS, Cleared_Date_Time, "
        "Hose_Meter_Volume, Hose_Meter_Value) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, 1, NULL, ?8, ?9, ?10, ?11)");
    insert.bind(1, id).bind(2, hoseId).bind(3, std::int64_t{d.type}).bind(4, std::int64_t{cleared ? 2 : 1});
    insert.bindOptional(5, volume).bindOptional(6, value).bindOptional(7, price).bind(8, completed);
    insert.bindOptional(9, cleared).bindOptional(10, meterVolume).bindOptional(11, meterValue);
    insert.run();
    t.commit();
    return id;
}

std::string salesCsv(const std::string& dir) {
    sqlite::Database db(stationFile(dir, salesDatabase), false);
    std::string header, columns;
    for (const ColumnDef& p : dailySaleParameters()) {
        header += (header.empty() ? "" : ",") + std::string(p.name);
        columns += (columns.empty() ? "" : ", ") + std::string(p.name);
    }
    std::string csv = header + "\n";
    sqlite::Statement rows = db.prepare("SELECT " + columns + " FROM D17_DailySale ORDER BY rowid");
    while (rows.step()) {
        for (int i = 0; i < rows.columnCount(); ++i) csv += (i ? "," : "") + csvField(rows.optionalText(i));
        csv += "\n";
    }
    return csv;
}

void setHoseFuel(const std::string& dir, int pump, int hose, const std::optional<std::string>& code) {
    sqlite::Database db(stationFile(dir, salesDatabase), false);
    sqlite::Transaction t(db);
    sqlite::Statement update = db.prepare("UPDATE D10_Hose SET fueltypecode = ?1 WHERE pump_no = ?2 AND hose_number = ?3");
    update.bindOptional(1, code).bind(2, std::int64_t{pump}).bind(3, std::int64_t{hose}).run();
    if (sqlite3_changes(db.handle()) == 0)
        throw StationError("the hose master has no hose " + std::to_string(hose) + " on pump " + std::to_string(pump));
    t.commit();
}

std::string runSql(const std::string& dir, const std::string& database, const std::string& sql) {
    auto known = stationDatabase(database);
    if (!known) throw StationError("no database '" + database + "' (enablerdb, torvane, torvane_bk1, torvane_bk2)");
    sqlite::Database db(stationFile(dir, *known), false);
    std::string out;
    char* message = nullptr;
    auto collect = [](void* target, int count, char** values, char**) {
        auto& text = *static_cast<std::string*>(target);
        for (int i = 0; i < count; ++i) text += (i ? "\t" : "") + std::string(values[i] ? values[i] : "NULL");
        text += "\n";
        return 0;
    };
    if (sqlite3_exec(db.handle(), sql.c_str(), collect, &out, &message) != SQLITE_OK) {
        std::string what = message ? message : "failed";
        sqlite3_free(message);
        throw StationError(what);
    }
    return out;
}

std::string nowText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    SqlDateTime t;
    SqlDateTime::fromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                           local.tm_sec, 0, t);
    return t.toText();
}

}  // namespace vantrok::sim::station
