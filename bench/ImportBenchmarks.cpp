// The import's cost against its floor, the bare loop over the same driver.
#include <benchmark/benchmark.h>

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

// A month's backlog carried in one tick.
void Backlog(benchmark::State& state, Variant variant) {
    LogCounts counts;
    for (auto _ : state) {
        state.PauseTiming();
        {
            BenchStation station;
            station.addLiveDeliveries(backlogDeliveries);
            const auto importer = makeImporter(variant);
            station.clearStatementLog();
            state.ResumeTiming();
            const std::size_t carried = importer->importCycle();
            state.PauseTiming();
            require(carried == backlogDeliveries, "carried " + std::to_string(carried) + " deliveries");
            counts = countStatements(station.station().dir());
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * backlogDeliveries);
    state.counters["sales_statements_per_delivery"] =
        static_cast<double>(counts.salesStatements()) / backlogDeliveries;
    state.counters["out_of_order"] = static_cast<double>(counts.outOfOrder);
    state.counters["selections"] = static_cast<double>(counts.liveSelections + counts.offlineSelections);
}

// A tick that finds nothing new, on an empty month or one whose deliveries
// are all carried already.
void IdleTick(benchmark::State& state, Variant variant) {
    BenchStation station;
    const auto carried = static_cast<int>(state.range(0));
    station.addLiveDeliveries(carried);
    station.addCarriedSales();
    const auto importer = makeImporter(variant);
    station.clearStatementLog();
    for (auto _ : state) importer->idleTick();
    const LogCounts counts = countStatements(station.station().dir());
    const auto ticks = static_cast<double>(state.iterations());
    state.counters["live_selections_per_tick"] = static_cast<double>(counts.liveSelections) / ticks;
    state.counters["offline_selections_per_tick"] = static_cast<double>(counts.offlineSelections) / ticks;
    state.counters["sales_statements"] = static_cast<double>(counts.salesStatements());
}

// One delivery's cost when its day already holds N daily sales, the selection
// left out; split into the station engine's processor time and the rest.
void Growth(benchmark::State& state, Variant variant) {
    const auto daySales = static_cast<int>(state.range(0));
    double cpu = 0, engine = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            BenchStation station;
            station.addDaySales(growthDay, daySales);
            station.addLiveDeliveriesOn(growthDay, growthDeliveries, 0);
            const auto importer = makeImporter(variant);
            importer->openLiveSelection();
            importer->startEngineClock();
            state.ResumeTiming();
            const double start = threadCpuSeconds();
            for (int i = 0; i < growthDeliveries; ++i) require(importer->carryNext(), "ran out of deliveries");
            cpu += threadCpuSeconds() - start;
            state.PauseTiming();
            engine += importer->engineSeconds();
            require(!importer->carryNext(), "a delivery too many");
        }
        state.ResumeTiming();
    }
    const double deliveries = static_cast<double>(state.iterations()) * growthDeliveries;
    state.SetItemsProcessed(static_cast<std::int64_t>(deliveries));
    state.counters["us_per_delivery"] = cpu * 1e6 / deliveries;
    state.counters["engine_us"] = engine * 1e6 / deliveries;
    state.counters["rest_us"] = (cpu - engine) * 1e6 / deliveries;
    state.counters["engine_share"] = cpu > 0 ? engine / cpu : 0;
}

}  // namespace

BENCHMARK_CAPTURE(Backlog, vantrok, Variant::Vantrok)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Backlog, floor, Variant::Floor)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(IdleTick, vantrok, Variant::Vantrok)->Arg(0)->Arg(backlogDeliveries)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(IdleTick, two_selections, Variant::Floor)->Arg(0)->Arg(backlogDeliveries)->Unit(benchmark::kMicrosecond);

BENCHMARK_CAPTURE(Growth, vantrok, Variant::Vantrok)
    ->Arg(10)->Arg(100)->Arg(1000)->Arg(10'000)->Iterations(3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Growth, floor, Variant::Floor)
    ->Arg(10)->Arg(100)->Arg(1000)->Arg(10'000)->Iterations(3)->Unit(benchmark::kMicrosecond);

}  // namespace vantrok::bench
