#include "check/status/VantrokRunning.h"

#include <system_error>

#include "app/Startup.h"
#include "app/win32/ProcessCount.h"

namespace vantrok::check {

std::optional<bool> vantrokRunning() {
    try {
        return app::CountProcesses(app::ImageName) > 0;
    } catch (const std::system_error&) {
        return std::nullopt;  // the management service cannot answer: no alarm of its own
    }
}

}  // namespace vantrok::check
