#include "ui/win32/Handles.h"

#include <system_error>

namespace vantrok::ui {

void ThrowLastError(const char* what) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

Icon::Icon(HINSTANCE instance, int resourceId, int size)
    : icon_(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                          size, size, 0))) {
    if (!icon_) ThrowLastError("loading the program's icon");
}

Icon::~Icon() { DestroyIcon(icon_); }

Font::Font(const LOGFONTA& settings) : font_(CreateFontIndirectA(&settings)) {
    if (!font_) ThrowLastError("making the label's font");
}

Font::~Font() { DeleteObject(font_); }

WindowClass::WindowClass(const WNDCLASSEXA& settings)
    : instance_(settings.hInstance), name_(settings.lpszClassName) {
    if (!RegisterClassExA(&settings)) ThrowLastError("registering the window class");
}

WindowClass::~WindowClass() { UnregisterClassA(name_.c_str(), instance_); }

}  // namespace vantrok::ui
