#pragma once

#include <windows.h>
#include <shellapi.h>

namespace vantrok::ui {

inline constexpr UINT TrayCallbackMessage = WM_MOUSEMOVE;

// The window's icon in the notification area, with the tip "VANTROK".
// Tray events come back as the window's own mouse-move message.
class TrayIcon {
public:
    TrayIcon(HWND window, HICON icon);

    // Registration failures are not looked at: the program runs on without
    // a tray icon.
    void add() noexcept;
    // Taken away when the window goes, so no dead icon stays behind.
    void remove() noexcept;

private:
    NOTIFYICONDATAA record_{};
};

}  // namespace vantrok::ui
