#include "check/station/AtomicFile.h"

#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

#include "import/NumberText.h"

namespace vantrok::check {

namespace {

constexpr int movesWhileHeld = 20;
constexpr std::chrono::milliseconds pauseWhileHeld{100};

std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    std::random_device random;
    std::filesystem::path temporary = target;
    temporary += ".tmp-" + decimalText(random()) + decimalText(random());
    return temporary;
}

// Removes the temporary file unless it was moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        std::error_code ignored;
        if (!moved_) std::filesystem::remove(path_, ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void moved() { moved_ = true; }

private:
    std::filesystem::path path_;
    bool moved_ = false;
};

}  // namespace

void replaceFile(const std::string& path, const std::string& content, const FileMover& mover) {
    const std::filesystem::path target(path);
    TemporaryFile temporary(temporaryBeside(target));
    {
        std::ofstream out(temporary.path(), std::ios::binary | std::ios::trunc);
        out << content;
        out.flush();
        out.close();
        if (!out) throw std::runtime_error("cannot write " + temporary.path().string());
    }
    MoveResult result;
    for (int attempt = 1;; ++attempt) {
        result = mover.move(temporary.path(), target);
        if (result.outcome != MoveOutcome::Held || attempt == movesWhileHeld) break;
        mover.pause(pauseWhileHeld);
    }
    if (result.outcome != MoveOutcome::Moved)
        throw std::runtime_error("cannot replace " + path + ": " + result.reason +
                                 (result.outcome == MoveOutcome::Held ? " (another program holds it)" : ""));
    temporary.moved();
}

}  // namespace vantrok::check
