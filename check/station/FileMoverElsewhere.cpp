#include <system_error>
#include <thread>

#include "check/station/FileMover.h"

namespace vantrok::check {

namespace {

class Rename final : public FileMover {
public:
    MoveResult move(const std::filesystem::path& from, const std::filesystem::path& to) const override {
        std::error_code error;
        std::filesystem::rename(from, to, error);
        return error ? MoveResult{MoveOutcome::Failed, error.message()} : MoveResult{};
    }
    void pause(std::chrono::milliseconds time) const override { std::this_thread::sleep_for(time); }
};

}  // namespace

const FileMover& platformMover() {
    static const Rename mover;
    return mover;
}

}  // namespace vantrok::check
