#include <cerrno>
#include <ctime>
#include <system_error>

#include "check/status/ZoneRules.h"

namespace vantrok::check {

namespace {

class CLibraryZone final : public ZoneRules {
public:
    db::DateTime localAt(std::int64_t utcSeconds) const override {
        const std::time_t seconds = static_cast<std::time_t>(utcSeconds);
        std::tm local{};
        if (!localtime_r(&seconds, &local))
            throw std::system_error(errno, std::generic_category(), "converting to local time");
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, 0};
    }
};

}  // namespace

const ZoneRules& pcZoneRules() {
    static const CLibraryZone zone;
    return zone;
}

}  // namespace vantrok::check
