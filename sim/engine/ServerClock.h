#pragma once

#include <string>

#include "sim/engine/ResultTable.h"

namespace vantrok::sim {

// GETDATE() and GETUTCDATE() in one row: the server's local time and UTC as
// its operating system gives them, read at one instant. `frozenLocal`
// ("YYYY-MM-DDTHH:MM:SS", the clock fault) stands the local clock still at
// that moment, its UTC by the host's zone rules; empty for the real clock.
ResultTable serverClock(const std::string& frozenLocal);

// Whether text is a moment the clock fault takes.
bool isClockMoment(const std::string& text);

}  // namespace vantrok::sim
