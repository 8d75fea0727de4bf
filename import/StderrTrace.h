#pragma once

#include "import/Trace.h"

namespace vantrok {

// The developer tools' trace: one line per error on standard error.
class StderrTrace final : public Trace {
public:
    void write(std::string_view line) override;
};

}  // namespace vantrok
