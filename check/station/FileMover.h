#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace vantrok::check {

enum class MoveOutcome { Moved, Held, Failed };

struct MoveResult {
    MoveOutcome outcome = MoveOutcome::Moved;
    std::string reason;  // why it failed, or who holds the file
};

// Puts a finished file in another's place in one step.
class FileMover {
public:
    virtual ~FileMover() = default;
    // Held: another program has the target open in a way that forbids the
    // replace for now (on Windows, opened without FILE_SHARE_DELETE, as Go's
    // file reads and virus scanners do); worth a retry.
    virtual MoveResult move(const std::filesystem::path& from, const std::filesystem::path& to) const = 0;
    virtual void pause(std::chrono::milliseconds time) const = 0;
};

// Windows: MoveFileExW replacing the target, written through to the disk.
// Elsewhere: rename, which no reader can hold up.
const FileMover& platformMover();

}  // namespace vantrok::check
