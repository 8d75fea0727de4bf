#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "check/login/PasswordInput.h"
#include "check/login/StandardInputLine.h"

namespace vantrok::check {

namespace {

class TerminalPasswordInput final : public PasswordInput {
public:
    std::string hidden(const std::string& prompt) override {
        std::fputs(prompt.c_str(), stderr);
        termios before{};
        const bool terminal = ::tcgetattr(STDIN_FILENO, &before) == 0;
        if (terminal) {
            termios quiet = before;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
        std::string text = standardInputLine();
        if (terminal) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
        std::fputs("\n", stderr);
        return text;
    }
    std::string line() override { return standardInputLine(); }
};

}  // namespace

std::unique_ptr<PasswordInput> consolePasswordInput() { return std::make_unique<TerminalPasswordInput>(); }

}  // namespace vantrok::check
