// vantrok_bench: VANTROK's import against its floor, through the station
// simulator's ODBC driver. Google Benchmark's flags apply; the defaults below
// interleave the repetitions of all benchmarks, so that a machine whose load
// changes during the run slows each side alike.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "bench/RatioReporter.h"

namespace {

bool given(const std::vector<char*>& arguments, std::string_view flag) {
    for (const char* argument : arguments)
        if (std::string_view(argument).starts_with(flag)) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    std::string interleaving = "--benchmark_enable_random_interleaving=true";
    if (!given(arguments, "--benchmark_repetitions")) arguments.push_back(repetitions.data());
    if (!given(arguments, "--benchmark_enable_random_interleaving")) arguments.push_back(interleaving.data());
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;
    vantrok::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
