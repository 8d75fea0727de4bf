#pragma once

#include <string_view>

namespace vantrok::app {

// Counts the running processes with this image name through WMI.
// Throws std::system_error when the service or the query fails.
long CountProcesses(std::string_view imageName);

}  // namespace vantrok::app
