#include "import/StderrTrace.h"

#include <cstdio>

namespace vantrok {

void StderrTrace::write(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace vantrok
