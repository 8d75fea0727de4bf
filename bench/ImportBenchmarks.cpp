// The import's cost against its floor, the bare loop over the same driver.
// Each iteration measures both, one right after the other and in turns
// first, so that whatever else the machine does weighs on both alike; the
// ratios are taken pair by pair, and their median over the repetitions is
// the figure.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/BenchStation.h"
#include "bench/Importers.h"
#include "bench/LogCounts.h"
#include "bench/ThreadClock.h"

namespace vantrok::bench {

namespace {

constexpr int backlogDeliveries = 10'000;
constexpr int growthDay = 15;
constexpr int growthDeliveries = 20;

void require(bool condition, const std::string& what) {
    if (!condition) throw std::runtime_error(what);
}

struct Timing {
    double cpu = 0;    // this thread's processor time, seconds
    double real = 0;   // seconds
    double other = 0;  // the other threads' processor time: the station's endpoint on the FreeTDS road
};

Timing timed(const std::function<void()>& work) {
    const auto realStart = std::chrono::steady_clock::now();
    const double cpuStart = threadCpuSeconds();
    const double processStart = processCpuSeconds();
    work();
    const double cpu = threadCpuSeconds() - cpuStart;
    return {cpu, std::chrono::duration<double>(std::chrono::steady_clock::now() - realStart).count(),
            processCpuSeconds() - processStart - cpu};
}

// Runs VANTROK's work and the floor's, the one first that did not go first
// last time.
std::pair<Timing, Timing> pair(const std::function<void()>& ours, const std::function<void()>& floor) {
    static bool oursFirst = false;
    oursFirst = !oursFirst;
    if (oursFirst) {
        const Timing a = timed(ours);
        return {a, timed(floor)};
    }
    const Timing b = timed(floor);
    return {timed(ours), b};
}

// A station for each side with the same deliveries; each side's connections
// are opened while its station is the registered one.
struct Sides {
    BenchStation oursStation, floorStation;
    std::unique_ptr<Importer> ours, floor;

    explicit Sides(const std::function<void(BenchStation&)>& seed) {
        seed(oursStation);
        seed(floorStation);
        oursStation.station().registerDriver();
        ours = makeImporter(Variant::Vantrok);
        floorStation.station().registerDriver();
        floor = makeImporter(Variant::Floor);
    }
};

void reportPair(benchmark::State& state, const Timing& ours, const Timing& floor, double items,
                const char* unit, double scale) {
    state.SetIterationTime(ours.real / items);  // the Time column: VANTROK's, per item
    state.counters[std::string("vantrok_") + unit] = ours.cpu * scale / items;
    state.counters[std::string("floor_") + unit] = floor.cpu * scale / items;
    state.counters["cpu_ratio"] = ours.cpu / floor.cpu;
    state.counters["real_ratio"] = ours.real / floor.real;
}

// A month's backlog carried in one tick.
void Backlog(benchmark::State& state) {
    for (auto _ : state) {
        Sides sides([](BenchStation& s) { s.addLiveDeliveries(backlogDeliveries); });
        std::size_t oursCarried = 0, floorCarried = 0;
        const auto [ours, floor] = pair([&] { oursCarried = sides.ours->importCycle(); },
                                        [&] { floorCarried = sides.floor->importCycle(); });
        require(oursCarried == backlogDeliveries && floorCarried == backlogDeliveries, "not all carried");
        reportPair(state, ours, floor, 1.0, "cpu_s", 1.0);
        state.counters["vantrok_per_cpu_s"] = backlogDeliveries / ours.cpu;
        state.counters["floor_per_cpu_s"] = backlogDeliveries / floor.cpu;
        state.counters["vantrok_station_cpu_s"] = ours.other;
        state.counters["floor_station_cpu_s"] = floor.other;
    }
}

// Ticks that find nothing new, on an empty month or on one whose deliveries
// are all carried already, against the two selections alone.
void IdleTick(benchmark::State& state) {
    const auto carried = static_cast<int>(state.range(0));
    const int ticks = carried > 0 ? 5 : 200;
    BenchStation station;
    station.addLiveDeliveries(carried);
    station.addCarriedSales();
    const auto ours = makeImporter(Variant::Vantrok);
    const auto floor = makeImporter(Variant::Floor);
    station.clearStatementLog();
    for (auto _ : state) {
        const auto [a, b] = pair([&] { for (int i = 0; i < ticks; ++i) ours->idleTick(); },
                                 [&] { for (int i = 0; i < ticks; ++i) floor->idleTick(); });
        reportPair(state, a, b, ticks, "us", 1e6);
    }
    const LogCounts counts = countStatements(station.station().dir());
    const double allTicks = 2.0 * ticks * static_cast<double>(state.iterations());
    state.counters["live_selections_per_tick"] = static_cast<double>(counts.liveSelections) / allTicks;
    state.counters["offline_selections_per_tick"] = static_cast<double>(counts.offlineSelections) / allTicks;
    state.counters["sales_statements"] = static_cast<double>(counts.salesStatements());
}

// One delivery's cost when its day already holds N daily sales, the selection
// left out, after a first delivery has warmed both sides up; split into the
// station engine's processor time and the rest (client, driver manager and
// the driver's ODBC shell). On the FreeTDS road the station is the endpoint's
// threads (everything beyond the benchmark's own thread) and the rest is the
// client, unixODBC and FreeTDS.
void Growth(benchmark::State& state) {
    const auto daySales = static_cast<int>(state.range(0));
    for (auto _ : state) {
        Sides sides([&](BenchStation& s) {
            s.addDaySales(growthDay, daySales);
            s.addLiveDeliveriesOn(growthDay, growthDeliveries + 1, 0);
        });
        const bool onWire = testing::onFreeTdsRoad();
        for (Importer* side : {sides.ours.get(), sides.floor.get()}) {
            side->openLiveSelection();
            require(side->carryNext(), "no delivery to warm up with");
            if (!onWire) side->startEngineClock();
        }
        const auto carry = [](Importer& side) {
            for (int i = 0; i < growthDeliveries; ++i) require(side.carryNext(), "ran out of deliveries");
        };
        const auto [ours, floor] = pair([&] { carry(*sides.ours); }, [&] { carry(*sides.floor); });
        reportPair(state, ours, floor, growthDeliveries, "us", 1e6);
        const double oursEngine = onWire ? ours.other : sides.ours->engineSeconds();
        const double floorEngine = onWire ? floor.other : sides.floor->engineSeconds();
        const double oursRest = onWire ? ours.cpu : ours.cpu - oursEngine;
        const double floorRest = onWire ? floor.cpu : floor.cpu - floorEngine;
        state.counters["vantrok_engine_us"] = oursEngine * 1e6 / growthDeliveries;
        state.counters["vantrok_rest_us"] = oursRest * 1e6 / growthDeliveries;
        state.counters["floor_engine_us"] = floorEngine * 1e6 / growthDeliveries;
        state.counters["floor_rest_us"] = floorRest * 1e6 / growthDeliveries;
        state.counters["engine_share"] = oursEngine / (oursRest + oursEngine);
        for (Importer* side : {sides.ours.get(), sides.floor.get()})
            require(!side->carryNext(), "a delivery too many");
    }
}

}  // namespace

BENCHMARK(Backlog)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(IdleTick)->Arg(0)->Arg(backlogDeliveries)->Iterations(20)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(Growth)->Arg(10)->Arg(100)->Arg(1000)->Arg(10'000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace vantrok::bench
