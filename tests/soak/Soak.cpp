#include "tests/soak/Soak.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "backup/BackupTick.h"
#include "import/Bridge.h"
#include "import/GallonFactor.h"
#include "import/ImportCycle.h"
#include "tests/soak/SimulatedTime.h"

namespace vantrok::soak {

namespace {

using std::chrono::seconds;

constexpr int importInterval = 4;   // seconds
constexpr int backupInterval = 10;  // seconds
constexpr int secondsPerDay = 86'400;
// A burst ends with this many import ticks without new faults, so what broke
// in it is reopened and what waits goes through before the clock jumps.
constexpr int calmTailTicks = 6;
constexpr int shortestBurst = calmTailTicks + 4;
constexpr int longestDay = 20'000;  // import ticks; a day has room for 21,600

struct Burst {
    Moment start;
    int importTicks = 0;
};

int burstsPerDay(int ticksPerDay) { return std::clamp(ticksPerDay / 60, 2, 12); }

// Bursts in slots of equal length, at random places within their slots.
std::vector<Burst> schedule(const SoakPlan& plan, SoakRandom& random) {
    std::vector<Burst> bursts;
    const Moment firstDay = parseDay(plan.firstDay);
    for (int d = 0; d < plan.days; ++d) {
        const int dayTicks = plan.importTicks / plan.days + (d < plan.importTicks % plan.days ? 1 : 0);
        const int count = burstsPerDay(dayTicks);
        const int slot = secondsPerDay / count;
        for (int b = 0; b < count; ++b) {
            const int ticks = dayTicks / count + (b < dayTicks % count ? 1 : 0);
            const int slack = slot - importInterval * ticks;
            const int edge = random.between(0, std::min(slack, 20));
            const int offset = b == 0 ? edge : b == count - 1 ? slack - edge : random.between(0, slack);
            bursts.push_back({firstDay + std::chrono::days{d} + seconds{b * slot + offset}, ticks});
        }
    }
    return bursts;
}

// Counts what the ticks traced, and passes it on with the simulated time.
class SoakTrace final : public Trace {
public:
    SoakTrace(const SimulatedClock& clock, Trace* echo) : clock_(clock), echo_(echo) {}
    void write(std::string_view line) override {
        ++lines;
        if (echo_) echo_->write(stationText(clock_.moment()) + " " + std::string(line));
    }
    int lines = 0;

private:
    const SimulatedClock& clock_;
    Trace* echo_;
};

class SoakRun {
public:
    SoakRun(const SoakPlan& plan, testing::TestStation& station, Trace* echo)
        : station_(station),
          random_(plan.seed),
          clock_(parseDay(plan.firstDay)),
          trace_(clock_, echo),
          bridge_(clock_, trace_),
          forecourt_(station, ledger_, random_, plan.forecourt),
          faults_(station, ledger_, random_, plan.faults, ~plan.seed),
          bursts_(schedule(plan, random_)) {}

    SoakFigures run() {
        bridge_.openConnections();
        bridge_.gallonFactor = GallonFactor;
        bridge_.onSaleWritten([this](ImportKind, const SaleValues&) { faults_.afterSaleWritten(); });
        for (const Burst& burst : bursts_) runBurst(burst);
        const bool closingBackupRan = close();
        figures_.tracedErrors = trace_.lines;
        figures_.faults = faults_.counts();
        figures_.forecourt = forecourt_.counts();
        figures_.deliveries = ledger_.check(sales());
        figures_.backupsInStep =
            closingBackupRan && backupMatches("torvane_bk1") && backupMatches("torvane_bk2");
        return figures_;
    }

private:
    void runBurst(const Burst& burst) {
        Moment nextBackup = burst.start + seconds{random_.between(0, backupInterval - 1)};
        for (int i = 0; i < burst.importTicks; ++i) {
            const Moment at = burst.start + seconds{importInterval * i};
            for (; nextBackup < at; nextBackup += seconds{backupInterval}) backupTick(nextBackup);
            const bool calm = i >= burst.importTicks - calmTailTicks;
            if (i == burst.importTicks - calmTailTicks) faults_.calm();
            importTick(at, !calm);
        }
        const Moment end = burst.start + seconds{importInterval * burst.importTicks};
        for (; nextBackup < end; nextBackup += seconds{backupInterval}) backupTick(nextBackup);
    }

    void importTick(Moment at, bool mayFault) {
        clock_.set(at);
        forecourt_.work(at, mayFault);
        faults_.beforeImportTick(mayFault);
        if (!ImportCycle(bridge_)) ++figures_.ticksWithErrors;
        ledger_.importTick(at, faults_.importFaultFree());
        faults_.afterImportTick();
        ++figures_.importTicks;
    }

    void backupTick(Moment at) {
        clock_.set(at);
        faults_.beforeBackupTick();
        if (!BackupTick(bridge_)) ++figures_.ticksWithErrors;
        faults_.afterBackupTick();
        ++figures_.backupTicks;
    }

    // The run ends with a break that only backup ticks meet: the first finds
    // the SalesConnection broken, the second reopens it and brings the
    // backups up to date with the last imports. True when that backup ran.
    bool close() {
        const std::size_t logged = station_.statementLog().size();
        faults_.breakConnections();
        for (int tick = 0; tick < 2; ++tick) {
            clock_.set(clock_.moment() + seconds{1});
            if (!BackupTick(bridge_)) ++figures_.ticksWithErrors;
            ++figures_.backupTicks;
        }
        const auto log = station_.statementLog();
        return std::any_of(log.begin() + static_cast<std::ptrdiff_t>(std::min(logged, log.size())), log.end(),
                           [](const sim::LogEntry& entry) { return entry.text == "EXEC SYNX_TWO_DB_TO_BK1_BK2"; });
    }

    std::vector<SaleRecord> sales() const {
        std::vector<SaleRecord> records;
        for (const testing::SaleRow& sale : station_.sales()) {
            const auto& id = sale.at("Delivery_ID");
            records.push_back({id ? std::optional<std::int64_t>(std::stoll(*id)) : std::nullopt, sale.at("VocNo"),
                               sale.at("S_Date")});
        }
        return records;
    }

    bool backupMatches(const std::string& backup) {
        const std::string all = "SELECT * FROM D17_DailySale ORDER BY Delivery_ID, VocNo";
        return station_.sql(backup, all) == station_.sql("torvane", all);
    }

    testing::TestStation& station_;
    SoakRandom random_;
    SimulatedClock clock_;
    SoakTrace trace_;
    Bridge bridge_;
    DeliveryLedger ledger_;
    Forecourt forecourt_;
    FaultSwitches faults_;
    std::vector<Burst> bursts_;
    SoakFigures figures_;
};

}  // namespace

void checkPlan(const SoakPlan& plan) {
    parseDay(plan.firstDay);
    if (plan.days < 1) throw std::invalid_argument("a soak lasts at least one day");
    if (plan.importTicks / plan.days < 2 * shortestBurst)
        throw std::invalid_argument("a soak needs at least " + std::to_string(2 * shortestBurst) +
                                    " import ticks a day");
    if (plan.importTicks / plan.days >= longestDay)
        throw std::invalid_argument("a day holds fewer than " + std::to_string(longestDay) + " import ticks");
}

double expectedBackupTicks(const SoakPlan& plan) {
    return static_cast<double>(plan.importTicks) * importInterval / backupInterval;
}

SoakFigures runSoak(const SoakPlan& plan, testing::TestStation& station, Trace* echo) {
    checkPlan(plan);
    station.registerDriver();
    return SoakRun(plan, station, echo).run();
}

}  // namespace vantrok::soak
