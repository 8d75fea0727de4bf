#pragma once

#include <filesystem>
#include <string>

namespace vantrok::check {

// Replaces the file's content and returns only once the new content is on
// the disk: written beside it, flushed through the system's caches, then
// moved over it, so a crash leaves the old content or the new, whole.
// Creates the folder when missing. Throws std::runtime_error.
void writeFileDurably(const std::filesystem::path& file, const std::string& content);

}  // namespace vantrok::check
