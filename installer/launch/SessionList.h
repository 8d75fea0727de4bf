#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrok::installer {

// The file --record writes and --ended reads: one decimal session id a line,
// each once, in ascending order; empty when no copy ran.
std::string FormatSessionList(std::vector<std::uint32_t> sessions);

// nullopt when anything but ids is in it: a damaged file must not send
// VANTROK to the wrong user.
std::optional<std::vector<std::uint32_t>> ParseSessionList(const std::string& text);

}  // namespace vantrok::installer
