#include <windows.h>

#include "check/carry/DurableFile.h"
#include "check/carry/JournalLock.h"

namespace vantrok::check {

// Opened with no sharing: a second open fails until this handle is closed,
// which the system does when the process ends.
JournalLock::JournalLock(const std::filesystem::path& journal) {
    std::filesystem::path lockFile = temporaryBeside(journal);
    lockFile.replace_extension(".lock");
    const HANDLE file = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_SHARING_VIOLATION) throw JournalInUse(journal);
        throw std::runtime_error("cannot open " + lockFile.string());
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
}

JournalLock::~JournalLock() { CloseHandle(reinterpret_cast<HANDLE>(handle_)); }

}  // namespace vantrok::check
