#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "import/Trace.h"

namespace vantrok::app {

// Errors the ticks caught go to the debugger's output only: nothing is
// written unless a debug viewer listens.
class DebugOutputTrace final : public Trace {
public:
    void write(std::string_view line) override {
        std::string text(line);
        text += '\n';
        OutputDebugStringA(text.c_str());
    }
};

}  // namespace vantrok::app
