#pragma once

#include <string>

#include "tests/soak/Soak.h"

namespace vantrok::soak {

// The soak's figures, a few lines of plain text.
std::string report(const SoakPlan& plan, const SoakFigures& figures);

}  // namespace vantrok::soak
