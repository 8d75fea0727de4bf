#include "ui/win32/TrayIcon.h"

#include <cstring>

namespace vantrok::ui {

// The first form the shell takes: 88 bytes as a 32-bit program lays it out,
// 104 in a 64-bit one. Checked when the 32-bit program is built, since this
// project's machines cannot run it.
static_assert(NOTIFYICONDATAA_V1_SIZE == (sizeof(void*) == 4 ? 88 : 104),
              "the tray record is not its first form");

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
