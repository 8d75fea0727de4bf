#include <windows.h>

#include <cstdio>

#include "check/login/PasswordInput.h"
#include "check/login/StandardInputLine.h"

namespace vantrok::check {

namespace {

class ConsolePasswordInput final : public PasswordInput {
public:
    std::string hidden(const std::string& prompt) override {
        std::fputs(prompt.c_str(), stderr);
        const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        DWORD before = 0;
        const bool console = GetConsoleMode(input, &before) != 0;
        if (console) SetConsoleMode(input, before & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
        std::string text = standardInputLine();
        if (console) SetConsoleMode(input, before);
        std::fputs("\n", stderr);
        return text;
    }
    std::string line() override { return standardInputLine(); }
};

}  // namespace

std::unique_ptr<PasswordInput> consolePasswordInput() { return std::make_unique<ConsolePasswordInput>(); }

}  // namespace vantrok::check
