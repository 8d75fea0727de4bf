#pragma once

#include <memory>
#include <string>

namespace vantrok::check {

// Where `login set` reads the password: never from its command line.
class PasswordInput {
public:
    virtual ~PasswordInput() = default;
    // Asks on the console and reads a line without showing it.
    virtual std::string hidden(const std::string& prompt) = 0;
    // The first line of standard input, for deployment scripts.
    virtual std::string line() = 0;
};

// The console of this process (the terminal, or Windows' console).
std::unique_ptr<PasswordInput> consolePasswordInput();

}  // namespace vantrok::check
