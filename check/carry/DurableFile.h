#pragma once

#include <filesystem>
#include <string>

namespace vantrok::check {

// Replaces the file's content and returns only once the new content is on
// the disk: written beside it, flushed through the system's caches, then
// moved over it, so a crash leaves the old content or the new, whole.
// Creates the folder when missing. Throws std::runtime_error.
void writeFileDurably(const std::filesystem::path& file, const std::string& content);

// The name the new content is written under first, its folder made.
inline std::filesystem::path temporaryBeside(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    std::filesystem::path temporary = file;
    return temporary += ".new";
}

}  // namespace vantrok::check
