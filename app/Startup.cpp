#include "app/Startup.h"

#include <exception>

#include "app/ConnectRetry.h"
#include "app/OpenConnections.h"
#include "import/GallonFactor.h"
#include "app/ShortDateCheck.h"
#include "app/WakeUpWait.h"

namespace vantrok::app {

bool InstanceGuard(StartupPlatform& platform, std::string_view imageName) {
    // The running program counts itself.
    return platform.countProcesses(imageName) > 1;
}

StartupOutcome RunStartup(StartupPlatform& platform) {
    try {
        if (InstanceGuard(platform, ImageName)) return StartupOutcome::AnotherCopyRunning;
        WaitUntil(platform, WakeUpTime(platform.now()));
        if (!ShortDateCheck(platform)) return StartupOutcome::WrongShortDateFormat;
        OpenConnections(platform);
        platform.setGallonFactor(GallonFactor);
        platform.showMainWindow();
        return StartupOutcome::Finished;
    } catch (const std::exception&) {
        // Whatever failed, from the instance query to the window, the user
        // is offered the connection retry; the error itself is never shown.
    }
    ConnectRetry(platform);
    return StartupOutcome::Finished;
}

}  // namespace vantrok::app
