#include "tests/support/CommandRun.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace vantrok::testing {

CommandRun runCommand(const std::string& commandLine, const std::string& errFile, const std::string& input) {
    const std::string inputFile = errFile + ".in";
    std::ofstream(inputFile) << input;
    const std::string command = commandLine + " <" + inputFile + " 2>" + errFile;
    CommandRun outcome;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, n);
    const int status = ::pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::stringstream text;
    text << err.rdbuf();
    outcome.err = text.str();
    return outcome;
}

}  // namespace vantrok::testing
