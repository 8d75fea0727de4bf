#include "app/win32/Win32StartupPlatform.h"

#include <windows.h>

#include <string>

#include "app/win32/ProcessCount.h"
#include "import/Bridge.h"
#include "ui/win32/MainWindow.h"

namespace vantrok::app {

long Win32StartupPlatform::countProcesses(std::string_view imageName) {
    return CountProcesses(imageName);
}

int Win32StartupPlatform::readShortDatePattern(char* buffer, int size) {
    return GetLocaleInfoA(0, LOCALE_SSHORTDATE, buffer, size);
}

int Win32StartupPlatform::showMessage(const std::string& text, const std::string& title,
                                      unsigned style) {
    return MessageBoxA(nullptr, text.c_str(), title.c_str(), style);
}

void Win32StartupPlatform::launch(const std::string& commandLine, int showMode) noexcept {
    std::string writable = commandLine;  // CreateProcessA may write into it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showMode);
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

db::DateTime Win32StartupPlatform::now() {
    // With its milliseconds, so the wait can end on the second itself.
    SYSTEMTIME local;
    GetLocalTime(&local);
    return {local.wYear, local.wMonth,  local.wDay, local.wHour,
            local.wMinute, local.wSecond, local.wMilliseconds * 1'000'000};
}

void Win32StartupPlatform::sleepFor(std::chrono::milliseconds duration) {
    Sleep(static_cast<DWORD>(duration.count()));
}

void Win32StartupPlatform::openConnections() { bridge_.openConnections(); }

void Win32StartupPlatform::setGallonFactor(double factor) { bridge_.gallonFactor = factor; }

void Win32StartupPlatform::showMainWindow() { window_.show(); }

}  // namespace vantrok::app
