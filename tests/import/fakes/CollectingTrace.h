#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "import/Trace.h"

namespace vantrok::testing {

// Keeps every traced line for the test to read.
class CollectingTrace final : public Trace {
public:
    void write(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

}  // namespace vantrok::testing
