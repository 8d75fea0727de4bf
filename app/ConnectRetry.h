#pragma once

#include "app/StartupPlatform.h"

namespace vantrok::app {

inline constexpr std::string_view ConnectRetryMessage =
    "Fail to connect SQL Server ,Click Yes to Retry";
inline constexpr std::string_view ConnectRetryTitle = "Vantrok";
inline constexpr unsigned ConnectRetryStyle = 0;  // MB_OK, no icon
inline constexpr int AnswerOk = 1;                // IDOK

// Opens both connections, sets the gallon factor and shows the main window;
// after each failure asks the user, and tries again while the answer is OK.
// A loop, so a server that stays down for hours cannot grow the stack.
void ConnectRetry(StartupPlatform& platform);

}  // namespace vantrok::app
