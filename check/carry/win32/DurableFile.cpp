#include "check/carry/DurableFile.h"

#include <windows.h>

#include <stdexcept>

namespace vantrok::check {

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path) {
    throw std::runtime_error("cannot " + what + " " + path.string() + " (Windows error " +
                             std::to_string(GetLastError()) + ")");
}

}  // namespace

void writeFileDurably(const std::filesystem::path& file, const std::string& content) {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    std::filesystem::path temporary = file;
    temporary += ".new";
    {
        const FileHandle out(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (out.get() == INVALID_HANDLE_VALUE) fail("create", temporary);
        DWORD wrote = 0;
        if (!content.empty() &&
            (!WriteFile(out.get(), content.data(), static_cast<DWORD>(content.size()), &wrote, nullptr) ||
             wrote != content.size()))
            fail("write", temporary);
        if (!FlushFileBuffers(out.get())) fail("flush", temporary);
    }
    // Write-through: the move is on the disk when it returns.
    if (!MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        fail("replace", file);
}

}  // namespace vantrok::check
