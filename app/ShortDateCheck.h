#pragma once

#include <string>

#include "app/StartupPlatform.h"

namespace vantrok::app {

inline constexpr std::string_view RequiredShortDate = "dd/MM/yyyy";
inline constexpr std::string_view ShortDateMessage = "Short Date format must be - dd/MM/yyyy";
inline constexpr std::string_view ApplicationTitle = "VANTROK";
inline constexpr unsigned ShortDateMessageStyle = 16;  // MB_ICONHAND | MB_OK
inline constexpr std::string_view RegionalSettingsCommand =
    "rundll32.exe shell32.dll,Control_RunDLL intl.cpl,,0";
inline constexpr int ShowNormal = 5;  // SW_SHOW

// The user's short date pattern; empty when the platform gives none.
std::string ShortDatePattern(StartupPlatform& platform);

// True when the pattern is exactly dd/MM/yyyy. Otherwise tells the user,
// opens the regional settings panel and returns false: the program must end.
bool ShortDateCheck(StartupPlatform& platform);

}  // namespace vantrok::app
