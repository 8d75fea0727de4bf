#pragma once

#include <windows.h>

namespace vantrok::ui {

// Sizes are laid out in pixels at 96 dpi. The program declares itself aware
// of each monitor's scaling, so Windows no longer stretches its window and it
// scales its sizes itself.
inline constexpr unsigned DesignDpi = 96;

// The dpi of the monitor the window is on; the system dpi on Windows versions
// older than 10, which do not tell a window's own.
unsigned DpiOf(HWND window);
// The dpi that the stock fonts and the system metrics are made for.
unsigned SystemDpi();

inline int Scaled(int pixelsAtDesignDpi, unsigned dpi) {
    return MulDiv(pixelsAtDesignDpi, static_cast<int>(dpi), DesignDpi);
}

}  // namespace vantrok::ui
