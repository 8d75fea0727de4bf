#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace vantrok::bench {

// The console's report, followed by the ratio of every "vantrok" benchmark to
// its partners measured in the same run ("Backlog/vantrok" to
// "Backlog/floor", "Growth/vantrok/100" to "Growth/floor/100"): the median
// processor time and the median real time of one iteration, VANTROK's over
// the partner's. A machine busy with other work slows both alike, so the
// ratio keeps what the absolute times lose.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    struct Times {
        std::vector<double> cpu;
        std::vector<double> real;
        std::int64_t repetitions = 0;
    };
    std::map<std::string, Times> times_;
};

}  // namespace vantrok::bench
