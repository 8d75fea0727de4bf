#include "check/status/VantrokRunning.h"

namespace vantrok::check {

// VANTROK.exe is a Windows program; here nothing tells whether it runs.
std::optional<bool> vantrokRunning() { return std::nullopt; }

}  // namespace vantrok::check
