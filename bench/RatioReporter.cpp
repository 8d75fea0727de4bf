#include "bench/RatioReporter.h"

#include <algorithm>
#include <cstdio>

namespace vantrok::bench {

namespace {

constexpr std::string_view ours = "vantrok";

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// "Family/variant[/argument]" split around its variant.
struct Name {
    std::string family, variant, argument;
};

Name split(const std::string& name) {
    Name n;
    const auto first = name.find('/');
    n.family = name.substr(0, first);
    if (first == std::string::npos) return n;
    const auto second = name.find('/', first + 1);
    n.variant = name.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    if (second != std::string::npos) n.argument = name.substr(second + 1);
    return n;
}

}  // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    // Shown without its repetitions, a benchmark brings its median instead.
    for (const Run& run : runs) {
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.error_occurred || (run.run_type != Run::RT_Iteration && !median)) continue;
        std::string name = run.run_name.function_name;
        if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
        Times& t = times_[name];
        if (median) {
            t.cpu.clear();
            t.real.clear();
        }
        t.cpu.push_back(run.GetAdjustedCPUTime());
        t.real.push_back(run.GetAdjustedRealTime());
        t.repetitions = run.repetitions;
    }
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    bool header = false;
    for (const auto& [name, times] : times_) {
        const Name n = split(name);
        if (n.variant != ours) continue;
        for (const auto& [otherName, other] : times_) {
            const Name o = split(otherName);
            if (o.family != n.family || o.argument != n.argument || o.variant == ours) continue;
            if (!header) {
                std::printf("\n%-34s %-16s %9s %9s %5s\n", "ratio (medians, this run)", "vantrok over",
                            "cpu", "real", "runs");
                header = true;
            }
            const std::string label = n.family + (n.argument.empty() ? "" : "/" + n.argument);
            std::printf("%-34s %-16s %9.3f %9.3f %2lld/%lld\n", label.c_str(), o.variant.c_str(),
                        median(times.cpu) / median(other.cpu), median(times.real) / median(other.real),
                        static_cast<long long>(times.repetitions), static_cast<long long>(other.repetitions));
        }
    }
    std::fflush(stdout);
}

}  // namespace vantrok::bench
