#pragma once

#include <string_view>

#include "import/Bridge.h"

namespace vantrok {

// A command-line tool's start: both connections opened as VANTROK opens them,
// and the GallonFactor set. False, with the reason on standard error after
// the tool's name, when a connection cannot be opened.
bool startBridge(Bridge& bridge, std::string_view tool);

}  // namespace vantrok
