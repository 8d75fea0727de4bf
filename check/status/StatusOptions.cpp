#include "check/status/StatusOptions.h"

#include <charconv>
#include <string_view>

namespace vantrok::check {

namespace {

constexpr std::int64_t minutesInAYear = 366 * 24 * 60;

std::optional<std::int64_t> minutesOption(std::string_view text) {
    std::int64_t minutes = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), minutes);
    if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size() || minutes < 0 ||
        minutes > minutesInAYear)
        return std::nullopt;
    return minutes * 60;
}

}  // namespace

std::optional<StatusOptions> parseStatusOptions(int argc, const char* const* argv) {
    if (argc < 2 || std::string_view(argv[1]) != "status") return std::nullopt;
    StatusOptions options;
    bool warningGiven = false, criticalGiven = false, outputGiven = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view option = argv[i];
        const bool hasValue = i + 1 < argc;
        if ((option == "--warning" && !warningGiven) || (option == "--critical" && !criticalGiven)) {
            if (!hasValue) return std::nullopt;
            const auto seconds = minutesOption(argv[++i]);
            if (!seconds) return std::nullopt;
            (option == "--warning" ? options.thresholds.warningSeconds : options.thresholds.criticalSeconds) = *seconds;
            (option == "--warning" ? warningGiven : criticalGiven) = true;
        } else if (option == "--json" && !outputGiven) {
            options.output = StatusOutput::Json;
            outputGiven = true;
        } else if (option == "--prometheus" && !outputGiven && hasValue && argv[i + 1][0] != '\0') {
            options.output = StatusOutput::Prometheus;
            options.file = argv[++i];
            outputGiven = true;
        } else {
            return std::nullopt;
        }
    }
    if (options.thresholds.warningSeconds > options.thresholds.criticalSeconds) return std::nullopt;
    return options;
}

}  // namespace vantrok::check
