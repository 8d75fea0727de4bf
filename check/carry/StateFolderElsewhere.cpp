#include <cstdlib>

#include "check/carry/JournalFolder.h"

namespace vantrok::check {

std::filesystem::path programStateFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/')
        return std::filesystem::path(state) / "vantrok";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".local" / "state" / "vantrok";
}

}  // namespace vantrok::check
