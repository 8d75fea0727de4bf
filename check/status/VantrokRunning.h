#pragma once

#include <optional>

namespace vantrok::check {

// Whether VANTROK.exe runs on this PC: on Windows by the count of its
// processes; none where that cannot be told (other systems, or the
// management service failing).
std::optional<bool> vantrokRunning();

}  // namespace vantrok::check
