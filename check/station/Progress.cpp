#include "check/station/Progress.h"

#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "import/NumberText.h"

namespace vantrok::check {

namespace {

constexpr int barWidth = 40;

}  // namespace

void TerminalBar::step(int done, int total) {
    if (total <= 0) return;
    const int filled = done * barWidth / total;
    std::string line = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(barWidth - filled), ' ') + "] " + decimalText(done) +
                       "/" + decimalText(total);
    if (done >= total) line = "\r" + std::string(line.size(), ' ') + "\r";
    std::fputs(line.c_str(), terminal_);
    std::fflush(terminal_);
}

bool isTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return ::isatty(::fileno(stream)) != 0;
#endif
}

}  // namespace vantrok::check
