#include "tests/support/TestStation.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "sim/engine/Faults.h"
#include "sim/engine/Schema.h"
#include "sim/station/FreeTdsRoad.h"
#include "sim/tds/Endpoint.h"
#include "sim/tds/ServerCertificate.h"

namespace vantrok::testing {

namespace {

std::vector<std::optional<std::string>> splitCsvLine(std::istream& in, bool& more) {
    std::vector<std::optional<std::string>> fields;
    std::string field;
    bool quoted = false, wasQuoted = false;
    char c = 0;
    more = false;
    while (in.get(c)) {
        more = true;
        if (quoted) {
            if (c == '"' && in.peek() == '"') field += static_cast<char>(in.get());
            else if (c == '"') quoted = false;
            else field += c;
        } else if (c == '"') {
            quoted = wasQuoted = true;
        } else if (c == ',' || c == '\n') {
            fields.push_back(field.empty() && !wasQuoted ? std::nullopt : std::optional<std::string>(field));
            field.clear();
            wasQuoted = false;
            if (c == '\n') return fields;
        } else {
            field += c;
        }
    }
    return fields;
}

}  // namespace

TestStation::TestStation(sim::station::Strictness strictness) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vantrok-station-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    dir_ = pattern;
    sim::station::initStation(dir_, strictness);
}

TestStation::~TestStation() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::int64_t TestStation::addDelivery(const sim::station::Delivery& delivery) {
    return sim::station::addDelivery(dir_, delivery);
}

sim::station::Delivery TestStation::delivery(int type, std::int64_t id, const std::string& completed) {
    sim::station::Delivery d;
    d.type = type;
    d.id = static_cast<int>(id);
    d.pump = 1;
    d.hose = 1;
    d.volume = "20.000";
    d.price = "1.459";
    d.value = "29.18";
    d.completed = completed;
    return d;
}

std::int64_t TestStation::addDelivery(int type, std::int64_t id, const std::string& completed,
                                      const std::optional<std::string>& cleared, const std::string& volume,
                                      const std::string& value) {
    sim::station::Delivery d = delivery(type, id, completed);
    d.volume = volume;
    d.value = value;
    d.cleared = cleared;
    d.uncleared = !cleared;
    return addDelivery(d);
}

bool onFreeTdsRoad() {
    const char* road = std::getenv("VANTROK_TEST_DRIVER");
    return road && std::string_view(road) == "freetds";
}

std::vector<SaleRow> TestStation::sales() const {
    std::istringstream csv(sim::station::salesCsv(dir_));
    bool more = false;
    std::vector<std::optional<std::string>> header = splitCsvLine(csv, more);
    std::vector<SaleRow> rows;
    for (;;) {
        auto fields = splitCsvLine(csv, more);
        if (!more) break;
        SaleRow row;
        for (std::size_t i = 0; i < header.size() && i < fields.size(); ++i) row[header[i].value_or("")] = fields[i];
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<sim::LogEntry> TestStation::statementLog() const { return sim::readStatementLog(dir_); }

std::vector<std::string> TestStation::statements(const std::string& database) const {
    std::vector<std::string> texts;
    for (const sim::LogEntry& e : statementLog())
        if (e.database == database) texts.push_back(e.text);
    return texts;
}

void TestStation::setFault(const std::string& name, const std::string& value) { sim::switchFault(dir_, name, value); }

void TestStation::setHoseFuel(int pump, int hose, const std::optional<std::string>& code) {
    sim::station::setHoseFuel(dir_, pump, hose, code);
}

std::string TestStation::sql(const std::string& database, const std::string& statements) {
    return sim::station::runSql(dir_, database, statements);
}

#ifdef VANTROK_SIM_ODBC_DRIVER

namespace {

// unixODBC reads ODBCSYSINI once per process and keeps what it found there, so
// a process registers one folder for good. Its Station is a link that each
// test points at its own station: the simulator's driver opens it at each
// connect, and so does the process's own TDS endpoint on the FreeTDS road.
class ProcessRegistration {
public:
    explicit ProcessRegistration(bool trace) {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrok-odbc-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        folder_ = pattern;
        if (onFreeTdsRoad()) {
            // Before the endpoint's threads: the namespace is the process's.
            sim::station::mapLocalToLoopback(folder_);
            endpoint_ = std::make_unique<sim::tds::Endpoint>(link(), 0, sim::tds::certificateFile(folder_));
            endpoint_->start();
            sim::station::writeFreeTdsRegistration(folder_, sim::station::defaultFreeTdsDriver(), endpoint_->port(),
                                                   trace);
            sim::station::setFreeTdsEnvironment(folder_, endpoint_->port());
        } else {
            sim::station::writeOdbcInstIni(folder_, link(), VANTROK_SIM_ODBC_DRIVER, trace);
            ::setenv("ODBCSYSINI", folder_.c_str(), 1);
        }
    }
    ~ProcessRegistration() {
        endpoint_.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    ProcessRegistration(const ProcessRegistration&) = delete;
    ProcessRegistration& operator=(const ProcessRegistration&) = delete;

    void pointAt(const std::string& station) {
        std::string next = link() + ".new";
        std::error_code ec;
        std::filesystem::remove(next, ec);
        std::filesystem::create_directory_symlink(station, next);
        std::filesystem::rename(next, link());  // replaces the old link in one step
    }

private:
    std::string link() const { return folder_ + "/station"; }
    std::string folder_;
    std::unique_ptr<sim::tds::Endpoint> endpoint_;
};

}  // namespace

void TestStation::registerDriver(bool trace) {
    static ProcessRegistration registration(trace);
    registration.pointAt(dir_);
    // carry's journal belongs to the station: kept beside it, never in the user's own folders.
    ::setenv("VANTROK_JOURNAL_DIR", dir_.c_str(), 1);
}

#else

void TestStation::registerDriver(bool) {
    throw std::logic_error("the station's ODBC driver (vantrok_sim_odbc) is not part of this build");
}

#endif

}  // namespace vantrok::testing
