#include "ui/win32/MainWindow.h"

#include <windowsx.h>

#include <memory>
#include <utility>

#include "ui/win32/Dpi.h"
#include "ui/win32/IconResource.h"

namespace vantrok::ui {

namespace {

constexpr char Caption[] = "FINAL VANTROK MODE";
constexpr char LabelText[] = "FINAL VANTROK MODE Torvane";
constexpr char ClassName[] = "VANTROK.frmmain";
constexpr DWORD Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Pixels at 96 dpi, scaled to the dpi of the window's monitor.
constexpr int ClientWidth = 202;
constexpr int ClientHeight = 32;
constexpr RECT LabelBounds{4, 4, 4 + 195, 4 + 23};

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, std::function<void()> importCycle,
                       std::function<void()> backupTick)
    : instance_(instance),
      trayEvents_([this] { show(); }),
      ticks_(std::move(importCycle), std::move(backupTick)),
      taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {}

MainWindow::~MainWindow() {
    if (window_) DestroyWindow(window_);
}

void MainWindow::show() {
    if (!window_) create();
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void MainWindow::create() {
    if (!class_) {
        largeIcon_.emplace(instance_, IDI_VANTROK, GetSystemMetrics(SM_CXICON));
        smallIcon_.emplace(instance_, IDI_VANTROK, GetSystemMetrics(SM_CXSMICON));
        WNDCLASSEXA settings{};
        settings.cbSize = sizeof settings;
        settings.lpfnWndProc = &MainWindow::procedure;
        settings.hInstance = instance_;
        settings.hIcon = largeIcon_->get();
        settings.hIconSm = smallIcon_->get();
        settings.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        settings.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        settings.lpszClassName = ClassName;
        class_.emplace(settings);
    }
    RECT bounds{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&bounds, Style, FALSE, 0);
    const HWND window = CreateWindowExA(0, class_->name(), Caption, Style, CW_USEDEFAULT,
                                        CW_USEDEFAULT, bounds.right - bounds.left,
                                        bounds.bottom - bounds.top, nullptr, nullptr, instance_,
                                        this);
    // A failed load made the creation fail: its own error says why.
    boundary_.rethrowHeld();
    if (!window) ThrowLastError("creating the main window");
}

void MainWindow::load() {
    label_ = CreateWindowExA(0, "STATIC", LabelText, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0,
                             window_, nullptr, instance_, nullptr);
    fitToDpi(DpiOf(window_));
    tray_.emplace(window_, smallIcon_->get());
    tray_->add();
    for (const TimerSetting& timer : TimerSettings) {
        SetTimer(window_, static_cast<UINT_PTR>(timer.id), timer.intervalMilliseconds, nullptr);
    }
}

void MainWindow::fitToDpi(unsigned dpi) {
    if (label_) {
        // The stock font is made for the system dpi; the monitor's may differ.
        LOGFONTA settings{};
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof settings, &settings);
        settings.lfHeight = MulDiv(settings.lfHeight, static_cast<int>(dpi),
                                   static_cast<int>(SystemDpi()));
        auto font = std::make_unique<Font>(settings);
        SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font->get()), TRUE);
        labelFont_ = std::move(font);  // the old one only once the label has let go of it
        SetWindowPos(label_, nullptr, Scaled(LabelBounds.left, dpi), Scaled(LabelBounds.top, dpi),
                     Scaled(LabelBounds.right - LabelBounds.left, dpi),
                     Scaled(LabelBounds.bottom - LabelBounds.top, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The frame as it is drawn now, around the client area the dpi asks for.
    RECT outer, client;
    GetWindowRect(window_, &outer);
    GetClientRect(window_, &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(window_, nullptr, 0, 0, Scaled(ClientWidth, dpi) + frameWidth,
                 Scaled(ClientHeight, dpi) + frameHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    // A failure while loading makes CreateWindowEx fail; any other message counts as handled.
    const LRESULT failed = message == WM_NCCREATE ? FALSE : message == WM_CREATE ? -1 : 0;
    return self->boundary_.call([&] { return self->handle(message, wParam, lParam); }, failed);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        load();
        return 0;
    case WM_MOUSEMOVE:
        trayEvents_.onMouseMove(GET_X_LPARAM(lParam));
        return 0;
    case WM_DPICHANGED: {
        // Moved to a monitor of another scaling: where Windows suggests, at that scale.
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window_, nullptr, suggested.left, suggested.top,
                     suggested.right - suggested.left, suggested.bottom - suggested.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        fitToDpi(HIWORD(wParam));
        return 0;
    }
    case WM_TIMER:
        ticks_.onTimer(static_cast<unsigned>(wParam));
        return 0;
    case WM_DESTROY:
        if (tray_) tray_->remove();
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY: {
        const HWND window = window_;
        window_ = nullptr;
        label_ = nullptr;
        tray_.reset();
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    default:
        if (message == taskbarCreated_ && tray_) {
            tray_->add();
            return 0;
        }
        return DefWindowProcA(window_, message, wParam, lParam);
    }
}

}  // namespace vantrok::ui
