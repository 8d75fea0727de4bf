#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/engine/StatementLog.h"
#include "sim/station/Station.h"

namespace vantrok::testing {

// One daily sale as the station stores it, by the procedure's parameter
// names (VocNo, S_Date, ... Exported); NULL as nullopt.
using SaleRow = std::map<std::string, std::optional<std::string>>;

// A fresh station in a temporary folder, removed again with the object.
class TestStation {
public:
    explicit TestStation(sim::station::Strictness strictness = sim::station::Strictness::Strict);
    ~TestStation();
    TestStation(const TestStation&) = delete;
    TestStation& operator=(const TestStation&) = delete;

    const std::string& dir() const { return dir_; }

    // A delivery to start from: the type and id given, pump 1, hose 1, 20.000
    // litres at 1.459 for 29.18, completed at the time given and cleared then.
    static sim::station::Delivery delivery(int type, std::int64_t id, const std::string& completed);

    // Records a delivery (see vantrok-station delivery); returns its Delivery_ID.
    std::int64_t addDelivery(const sim::station::Delivery& delivery);
    // A type 6 or 14 delivery on pump 1, hose 1 with the given id and times.
    std::int64_t addDelivery(int type, std::int64_t id, const std::string& completed,
                             const std::optional<std::string>& cleared, const std::string& volume = "20.000",
                             const std::string& value = "29.18");

    std::vector<SaleRow> sales() const;
    std::vector<sim::LogEntry> statementLog() const;
    // The log's texts of one database, in order.
    std::vector<std::string> statements(const std::string& database) const;

    // "refuse-connections", "break-connections", "proc-fails", "backup-fails"
    // take "on"/"off"; "backup-seconds" a number.
    void setFault(const std::string& name, const std::string& value);
    void setHoseFuel(int pump, int hose, const std::optional<std::string>& code);
    // Raw SQLite on one database (enablerdb, torvane, torvane_bk1, torvane_bk2).
    std::string sql(const std::string& database, const std::string& statements);

    // Makes this station the one that "driver=sql server" reaches from this
    // process. unixODBC reads ODBCSYSINI only once per process: the first call
    // sets it to a folder of its own (tracing there when trace is set) that
    // every later call re-points to its station. Child processes inherit it.
    void registerDriver(bool trace = false);

private:
    std::string dir_;
};

}  // namespace vantrok::testing
