#include "check/carry/JournalFolder.h"

#include <cstdlib>

namespace vantrok::check {

std::filesystem::path journalFolder() {
    const char* chosen = std::getenv("VANTROK_JOURNAL_DIR");
    return chosen != nullptr && *chosen != '\0' ? std::filesystem::path(chosen) : programStateFolder();
}

}  // namespace vantrok::check
