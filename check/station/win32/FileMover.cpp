#include "check/station/FileMover.h"

#include <windows.h>

#include <system_error>

namespace vantrok::check {

namespace {

class MoveFileReplacing final : public FileMover {
public:
    MoveResult move(const std::filesystem::path& from, const std::filesystem::path& to) const override {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return {};
        const DWORD error = GetLastError();
        const std::string reason = std::system_category().message(static_cast<int>(error));
        const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                          error == ERROR_ACCESS_DENIED;
        return {held ? MoveOutcome::Held : MoveOutcome::Failed, reason};
    }
    void pause(std::chrono::milliseconds time) const override { Sleep(static_cast<DWORD>(time.count())); }
};

}  // namespace

const FileMover& platformMover() {
    static const MoveFileReplacing mover;
    return mover;
}

}  // namespace vantrok::check
