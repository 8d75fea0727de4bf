#include "app/ShortDateCheck.h"

#include <algorithm>
#include <array>

namespace vantrok::app {

std::string ShortDatePattern(StartupPlatform& platform) {
    std::array<char, 256> buffer{};
    const int count = platform.readShortDatePattern(buffer.data(), static_cast<int>(buffer.size()));
    if (count <= 0) return {};
    // The count includes the terminating zero.
    const auto length = std::min<std::size_t>(static_cast<std::size_t>(count) - 1, buffer.size() - 1);
    return std::string(buffer.data(), length);
}

bool ShortDateCheck(StartupPlatform& platform) {
    if (ShortDatePattern(platform) == RequiredShortDate) return true;
    platform.showMessage(std::string(ShortDateMessage), std::string(ApplicationTitle),
                         ShortDateMessageStyle);
    platform.launch(std::string(RegionalSettingsCommand), ShowNormal);
    return false;
}

}  // namespace vantrok::app
