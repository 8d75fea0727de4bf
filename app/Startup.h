#pragma once

#include "app/StartupPlatform.h"

namespace vantrok::app {

inline constexpr std::string_view ImageName = "VANTROK.exe";

enum class StartupOutcome {
    AnotherCopyRunning,    // ended silently
    WrongShortDateFormat,  // ended after the message and the regional settings panel
    Finished,              // connections and window done, or given up in ConnectRetry
};

// The whole start-up: instance test, one-minute wait, short date check,
// connections, gallon factor, main window; any failure leads to ConnectRetry.
StartupOutcome RunStartup(StartupPlatform& platform);

// True when another copy of the program runs beside this one.
bool InstanceGuard(StartupPlatform& platform, std::string_view imageName);

}  // namespace vantrok::app
