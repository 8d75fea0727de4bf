// What ticks leave behind: the statements they send and the memory they keep.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/BenchStation.h"
#include "bench/Importers.h"
#include "bench/LogCounts.h"
#include "sim/engine/StatementLog.h"

namespace vantrok::bench {

namespace {

constexpr int countedTicks = 10;
constexpr int deliveriesPerTick = 100;

double heapBytesInUse() { return static_cast<double>(mallinfo2().uordblks); }

double residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

// The log's statements without the procedure's description, which only
// VANTROK asks for.
std::vector<sim::LogEntry> statementsSent(const BenchStation& station) {
    std::vector<sim::LogEntry> sent;
    const std::string describe = sim::procedureColumnsLogText("INS_UPD_D17_DailySale1");
    for (sim::LogEntry& entry : sim::readStatementLog(station.station().dir()))
        if (entry.text != describe) sent.push_back(std::move(entry));
    return sent;
}

// Ticks that carry new deliveries, then ticks that find nothing new, on one
// bridge: what each delivery and each tick costs in statements.
void StatementCounts(benchmark::State& state) {
    for (auto _ : state) {
        BenchStation station;
        VantrokImporter importer;
        station.clearStatementLog();
        std::size_t carried = 0;
        for (int tick = 0; tick < countedTicks; ++tick) {
            station.addLiveDeliveries(deliveriesPerTick, std::int64_t{tick} * deliveriesPerTick);
            carried += importer.importCycle();
        }
        for (int tick = 0; tick < countedTicks; ++tick) importer.idleTick();
        if (carried != countedTicks * deliveriesPerTick) throw std::runtime_error("not every delivery was carried");

        const LogCounts counts = countStatements(station.station().dir());
        const double ticks = 2.0 * countedTicks;
        const auto deliveries = static_cast<double>(carried);
        state.counters["deliveries"] = deliveries;
        state.counters["sales_statements_per_delivery"] = static_cast<double>(counts.salesStatements()) / deliveries;
        state.counters["out_of_order"] = static_cast<double>(counts.outOfOrder);
        state.counters["live_selections_per_tick"] = static_cast<double>(counts.liveSelections) / ticks;
        state.counters["offline_selections_per_tick"] = static_cast<double>(counts.offlineSelections) / ticks;
        state.counters["procedure_descriptions"] = static_cast<double>(counts.procedureDescriptions);
        state.counters["other_statements"] = static_cast<double>(counts.otherSales + counts.otherController);
    }
}

// The floor is worth its name only if it sends what VANTROK sends: the same
// backlog through both must leave the same statements and the same sales.
void FloorSendsTheSameTexts(benchmark::State& state) {
    for (auto _ : state) {
        BenchStation ours, floor;
        for (BenchStation* station : {&ours, &floor}) {
            station->addLiveDeliveries(1000);
            station->station().registerDriver();  // the connections go to the station registered last
            station->clearStatementLog();
            makeImporter(station == &ours ? Variant::Vantrok : Variant::Floor)->importCycle();
        }
        const auto oursSent = statementsSent(ours), floorSent = statementsSent(floor);
        double differing = oursSent.size() == floorSent.size() ? 0 : 1;
        for (std::size_t i = 0; i < oursSent.size() && i < floorSent.size(); ++i)
            if (oursSent[i].database != floorSent[i].database || oursSent[i].text != floorSent[i].text) ++differing;
        state.counters["statements"] = static_cast<double>(oursSent.size());
        state.counters["statements_differing"] = differing;
        state.counters["sales_differing"] = ours.station().sales() == floor.station().sales() ? 0 : 1;
        if (differing > 0) state.SkipWithError("the floor sends other statements than VANTROK");
    }
}

// Memory over ten thousand idle ticks with the backup on its schedule (one
// backup tick per 10 s against an import tick per 4 s): what the process
// holds after a thousand ticks and after ten thousand.
void IdleMemory(benchmark::State& state) {
    for (auto _ : state) {
        BenchStation station;
        station.addLiveDeliveries(1000);
        station.addCarriedSales();
        VantrokImporter importer;
        double heapAt1000 = 0, residentAt1000 = 0;
        for (int tick = 1; tick <= 10'000; ++tick) {
            importer.idleTick();
            if (tick * 4 / 10 != (tick - 1) * 4 / 10) importer.backupTick();
            if (tick == 1000) {
                heapAt1000 = heapBytesInUse();
                residentAt1000 = residentBytes();
            }
        }
        state.counters["heap_kb_at_1000"] = heapAt1000 / 1024;
        state.counters["heap_growth_bytes"] = heapBytesInUse() - heapAt1000;
        state.counters["rss_kb_at_1000"] = residentAt1000 / 1024;
        state.counters["rss_growth_kb"] = (residentBytes() - residentAt1000) / 1024;
    }
}

}  // namespace

BENCHMARK(StatementCounts)->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond);
BENCHMARK(FloorSendsTheSameTexts)->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond);
BENCHMARK(IdleMemory)->Iterations(1)->Repetitions(1)->Unit(benchmark::kMillisecond);

}  // namespace vantrok::bench
