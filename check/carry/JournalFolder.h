#pragma once

#include <filesystem>

namespace vantrok::check {

// Where carry keeps its journals: VANTROK_JOURNAL_DIR when set (tests, or a
// station that wants them elsewhere), else the PC's program data folder.
std::filesystem::path journalFolder();

// The platform's folder for a program's lasting state: ProgramData\VANTROK
// on Windows, the XDG state folder's vantrok elsewhere.
std::filesystem::path programStateFolder();

}  // namespace vantrok::check
