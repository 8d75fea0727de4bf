#pragma once

#include <string_view>

namespace vantrok {

// Where the errors a tick caught are told to whoever supports a station:
// the platform's debug output, never a window or a file.
class Trace {
public:
    virtual ~Trace() = default;
    // One line, without its line end.
    virtual void write(std::string_view line) = 0;
};

}  // namespace vantrok
