#include <cstdio>
#include <iostream>

#include "check/login/EchoOff.h"
#include "check/login/PasswordInput.h"

namespace vantrok::check {

namespace {

// A line of standard input without its line break (LF or CR LF).
std::string standardInputLine() {
    std::string text;
    std::getline(std::cin, text);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

class ConsolePasswordInput final : public PasswordInput {
public:
    std::string hidden(const std::string& prompt) override {
        // On standard error: standard output may be read by a script.
        std::fputs(prompt.c_str(), stderr);
        std::string text;
        {
            const EchoOff quiet;
            text = standardInputLine();
        }
        std::fputs("\n", stderr);
        return text;
    }
    std::string line() override { return standardInputLine(); }
};

}  // namespace

std::unique_ptr<PasswordInput> consolePasswordInput() { return std::make_unique<ConsolePasswordInput>(); }

}  // namespace vantrok::check
