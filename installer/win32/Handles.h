#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace vantrok::installer {

// Owners of what the launch opens, each released the way it must be.
struct HandleCloser {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// Both handles CreateProcess* hands back; only whether it started matters here.
struct ProcessHandles {
    PROCESS_INFORMATION info{};
    ProcessHandles() = default;
    ProcessHandles(const ProcessHandles&) = delete;
    ProcessHandles& operator=(const ProcessHandles&) = delete;
    ~ProcessHandles() {
        if (info.hThread) CloseHandle(info.hThread);
        if (info.hProcess) CloseHandle(info.hProcess);
    }
};

}  // namespace vantrok::installer
