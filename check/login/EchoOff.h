#pragma once

#include <memory>

namespace vantrok::check {

// While it lives, what is typed on the console is not shown; nothing when
// standard input is no console (a pipe, a file).
class EchoOff {
public:
    EchoOff();
    ~EchoOff();
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    struct Saved;  // the console's mode before, per platform
    std::unique_ptr<Saved> saved_;
};

}  // namespace vantrok::check
