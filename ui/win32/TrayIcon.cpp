#include "ui/win32/TrayIcon.h"

#include <cstddef>
#include <cstring>

namespace vantrok::ui {

namespace {

// The first form of the record ends with a 64-byte tip, where later forms have
// 128 bytes (NOTIFYICONDATAA_V1_SIZE, counted here with standard C++ so that
// every compiler takes it as a constant).
constexpr std::size_t FirstFormTipSize = 64;
constexpr DWORD FirstFormSize = offsetof(NOTIFYICONDATAA, szTip) + FirstFormTipSize;
// 88 bytes as a 32-bit program lays it out, 104 in a 64-bit one. Checked when
// the 32-bit program is built, since this project's machines cannot run it.
static_assert(FirstFormSize == (sizeof(void*) == 4 ? 88 : 104), "the tray record is not its first form");

}  // namespace

TrayIcon::TrayIcon(HWND window, HICON icon) {
    // The first form of the record: size, window, id, flags, callback, icon
    // and a 64-byte tip, which every shell version understands.
    record_.cbSize = FirstFormSize;
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
