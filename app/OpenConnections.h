#pragma once

#include "app/StartupPlatform.h"

namespace vantrok::app {

inline constexpr unsigned StoredLoginMessageStyle = 0x30;  // MB_OK | MB_ICONWARNING

// Opens both connections. The retry prompt tells nothing of why, so a
// stored station login that cannot be used is told first in a message of its
// own: the station would otherwise never connect, with no hint. Throws as
// platform.openConnections() does.
void OpenConnections(StartupPlatform& platform);

}  // namespace vantrok::app
