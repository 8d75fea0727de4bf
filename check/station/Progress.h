#pragma once

#include <cstdio>

namespace vantrok::check {

// Told how far a long piece of work has come, in steps.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void step(int done, int total) = 0;
};

class NoProgress final : public Progress {
public:
    void step(int, int) override {}
};

// A bar redrawn in place on a terminal; the line is cleared again once all
// steps are done, so that what follows starts on a clean line.
class TerminalBar final : public Progress {
public:
    explicit TerminalBar(std::FILE* terminal) : terminal_(terminal) {}
    void step(int done, int total) override;

private:
    std::FILE* terminal_;
};

// True when the stream is a terminal, where a bar can be redrawn in place.
bool isTerminal(std::FILE* stream);

}  // namespace vantrok::check
