#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrok::installer {

struct RunningProcess {
    std::uint32_t id = 0;
    std::uint32_t session = 0;
};

// Every running process with this image name (e.g. VANTROK.exe), compared
// without case; nullopt when the processes cannot be listed.
std::optional<std::vector<RunningProcess>> ProcessesNamed(const std::wstring& image);

}  // namespace vantrok::installer
