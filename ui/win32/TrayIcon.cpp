#include "ui/win32/TrayIcon.h"

#include <cstring>

namespace vantrok::ui {

TrayIcon::TrayIcon(HWND window, HICON icon) {
    // The first form of the record: size, window, id, flags, callback, icon
    // and a 64-byte tip, which every shell version understands.
    record_.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record_.hWnd = window;
    record_.uID = 0;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = TrayCallbackMessage;
    record_.hIcon = icon;
    static constexpr char tip[] = "VANTROK";
    std::memcpy(record_.szTip, tip, sizeof tip);
}

void TrayIcon::add() noexcept { Shell_NotifyIconA(NIM_ADD, &record_); }

void TrayIcon::remove() noexcept { Shell_NotifyIconA(NIM_DELETE, &record_); }

}  // namespace vantrok::ui
