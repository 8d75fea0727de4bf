#include "app/ConnectRetry.h"

#include <exception>

#include "app/OpenConnections.h"
#include "import/GallonFactor.h"

namespace vantrok::app {

namespace {

bool TryToConnect(StartupPlatform& platform) {
    try {
        OpenConnections(platform);
        platform.setGallonFactor(GallonFactor);
        platform.showMainWindow();
        return true;
    } catch (const std::exception&) {
        // Every failure gets the same prompt; its details are not shown.
        return false;
    }
}

}  // namespace

void ConnectRetry(StartupPlatform& platform) {
    while (!TryToConnect(platform)) {
        const int answer = platform.showMessage(std::string(ConnectRetryMessage),
                                                std::string(ConnectRetryTitle),
                                                ConnectRetryStyle);
        if (answer != AnswerOk) return;
    }
}

}  // namespace vantrok::app
