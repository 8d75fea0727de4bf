// vantrok_bench: VANTROK's import against its floor, through the station
// simulator's ODBC driver. Google Benchmark's flags apply. By default every
// benchmark that compares runs nine times and only the aggregates are shown:
// the figures are the medians of the ratios measured pair by pair.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

bool given(const std::vector<char*>& arguments, std::string_view flag) {
    for (const char* argument : arguments)
        if (std::string_view(argument).starts_with(flag)) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> arguments(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=9";
    std::string aggregates = "--benchmark_display_aggregates_only=true";
    if (!given(arguments, "--benchmark_repetitions")) arguments.push_back(repetitions.data());
    if (!given(arguments, "--benchmark_display_aggregates_only")) arguments.push_back(aggregates.data());
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
