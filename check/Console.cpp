#include "check/Console.h"

#include <cstdio>

namespace vantrok::check {

void print(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace vantrok::check
