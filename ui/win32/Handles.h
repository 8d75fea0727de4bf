#pragma once

#include <windows.h>

#include <string>

namespace vantrok::ui {

// An icon loaded from the program's resources at one size.
class Icon {
public:
    Icon(HINSTANCE instance, int resourceId, int size);
    ~Icon();
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;

    HICON get() const noexcept { return icon_; }

private:
    HICON icon_;
};

// A font made for one dpi, deleted when it goes.
class Font {
public:
    explicit Font(const LOGFONTA& settings);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    HFONT get() const noexcept { return font_; }

private:
    HFONT font_;
};

// A registered window class, unregistered when it goes.
class WindowClass {
public:
    explicit WindowClass(const WNDCLASSEXA& settings);
    ~WindowClass();
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

    const char* name() const noexcept { return name_.c_str(); }

private:
    HINSTANCE instance_;
    std::string name_;
};

// Throws std::system_error with the thread's last error.
[[noreturn]] void ThrowLastError(const char* what);

}  // namespace vantrok::ui
