#include "ui/win32/Dpi.h"

namespace vantrok::ui {

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Windows 10 from version 1607 on; looked up, so older versions still start.
GetDpiForWindowFunction FindGetDpiForWindow() {
    const FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    return reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void*>(found));
}

}  // namespace

unsigned SystemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : DesignDpi;
}

unsigned DpiOf(HWND window) {
    static const GetDpiForWindowFunction getDpiForWindow = FindGetDpiForWindow();
    const unsigned dpi = getDpiForWindow ? getDpiForWindow(window) : 0;
    return dpi ? dpi : SystemDpi();
}

}  // namespace vantrok::ui
