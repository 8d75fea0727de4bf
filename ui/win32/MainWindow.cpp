#include "ui/win32/MainWindow.h"

#include <windowsx.h>

#include <utility>

#include "ui/win32/IconResource.h"

namespace vantrok::ui {

namespace {

constexpr char Caption[] = "FINAL VANTROK MODE";
constexpr char LabelText[] = "FINAL VANTROK MODE Torvane";
constexpr char ClassName[] = "VANTROK.frmmain";
constexpr DWORD Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// Pixels at 96 dpi; the system scales them for other settings.
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
    if (!window) ThrowLastError("creating the main window");
}

void MainWindow::load() {
    const HWND label = CreateWindowExA(0, "STATIC", LabelText, WS_CHILD | WS_VISIBLE | SS_LEFT,
                                       LabelBounds.left, LabelBounds.top,
                                       LabelBounds.right - LabelBounds.left,
                                       LabelBounds.bottom - LabelBounds.top, window_, nullptr,
                                       instance_, nullptr);
    if (label) SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    tray_.emplace(window_, smallIcon_->get());
    tray_->add();
    for (const TimerSetting& timer : TimerSettings) {
        SetTimer(window_, static_cast<UINT_PTR>(timer.id), timer.intervalMilliseconds, nullptr);
    }
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        load();
        return 0;
    case WM_MOUSEMOVE:
        trayEvents_.onMouseMove(GET_X_LPARAM(lParam));
        return 0;
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
