#include "installer/launch/SessionList.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace vantrok::installer {

std::string FormatSessionList(std::vector<std::uint32_t> sessions) {
    std::sort(sessions.begin(), sessions.end());
    sessions.erase(std::unique(sessions.begin(), sessions.end()), sessions.end());
    std::string text;
    for (std::uint32_t id : sessions) text += std::to_string(id) + "\n";
    return text;
}

std::optional<std::vector<std::uint32_t>> ParseSessionList(const std::string& text) {
    std::vector<std::uint32_t> sessions;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        // Written on Windows, a line may end in CR LF.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::uint32_t id = 0;
        const char* end = line.data() + line.size();
        auto [stop, error] = std::from_chars(line.data(), end, id);
        if (error != std::errc{} || stop != end) return std::nullopt;
        sessions.push_back(id);
    }
    return sessions;
}

}  // namespace vantrok::installer
