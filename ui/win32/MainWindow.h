#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "ui/CallbackBoundary.h"
#include "ui/TimerSchedule.h"
#include "ui/TrayEvents.h"
#include "ui/win32/Handles.h"
#include "ui/win32/TrayIcon.h"

namespace vantrok::ui {

// frmmain: the caption, one line of text, the tray icon and the two timers.
// Destroying it ends the message loop.
class MainWindow {
public:
    MainWindow(HINSTANCE instance, std::function<void()> importCycle,
               std::function<void()> backupTick);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The first call creates the window, which puts up the tray icon and
    // starts the timers before it becomes visible. Throws std::system_error.
    void show();
    bool isOpen() const noexcept { return window_ != nullptr; }
    // Throws, once, what a message handler threw while Windows was calling it.
    void rethrowHandlerError() { boundary_.rethrowHeld(); }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void create();
    void load();
    // Sizes the client area, the label and its font for this dpi.
    void fitToDpi(unsigned dpi);

    HINSTANCE instance_;
    CallbackBoundary boundary_;
    std::optional<Icon> largeIcon_;
    std::optional<Icon> smallIcon_;
    std::optional<WindowClass> class_;
    HWND window_ = nullptr;
    HWND label_ = nullptr;
    std::unique_ptr<Font> labelFont_;
    std::optional<TrayIcon> tray_;
    TrayEventHandler trayEvents_;
    TimerTicks ticks_;
    // Broadcast by a shell that has (re)started: its tray is empty.
    const UINT taskbarCreated_;
};

}  // namespace vantrok::ui
