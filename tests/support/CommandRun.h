#pragma once

#include <string>

namespace vantrok::testing {

// What a command line run through the shell left behind.
struct CommandRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the command line with the given text on its standard input; its
// standard error goes through errFile.
CommandRun runCommand(const std::string& commandLine, const std::string& errFile, const std::string& input = "");

}  // namespace vantrok::testing
