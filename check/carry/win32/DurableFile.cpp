#include "check/carry/DurableFile.h"

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace vantrok::check {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

std::runtime_error failure(const std::string& what, const std::filesystem::path& path) {
    return std::runtime_error("cannot " + what + " " + path.string() + " (Windows error " +
                              std::to_string(GetLastError()) + ")");
}

}  // namespace

void writeFileDurably(const std::filesystem::path& file, const std::string& content) {
    const std::filesystem::path temporary = temporaryBeside(file);
    {
        const HANDLE created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE) throw failure("create", temporary);
        const FileHandle out(created);
        DWORD wrote = 0;
        if (!content.empty() &&
            (!WriteFile(out.get(), content.data(), static_cast<DWORD>(content.size()), &wrote, nullptr) ||
             wrote != content.size()))
            throw failure("write", temporary);
        if (!FlushFileBuffers(out.get())) throw failure("flush", temporary);
    }
    // Write-through: the move is on the disk when it returns.
    if (!MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw failure("replace", file);
}

}  // namespace vantrok::check
