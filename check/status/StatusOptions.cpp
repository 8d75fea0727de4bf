#include "check/status/StatusOptions.h"

#include <charconv>
#include <string_view>

namespace vantrok::check {

namespace {

constexpr std::int64_t minutesInAYear = 366 * 24 * 60;
constexpr int longestTimeout = 3600;

std::optional<std::int64_t> wholeNumber(std::string_view text, std::int64_t least, std::int64_t most) {
    std::int64_t number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size() || number < least ||
        number > most)
        return std::nullopt;
    return number;
}

// The threshold an option sets from its value; none for text it does not take.
std::optional<PluginRange> thresholdOption(std::string_view option, std::string_view value) {
    if (option == "--warning" || option == "--critical") {
        const auto minutes = wholeNumber(value, 0, minutesInAYear);
        if (!minutes) return std::nullopt;
        return PluginRange::upTo(*minutes * 60);
    }
    return parsePluginRange(value);
}

bool isWarning(std::string_view option) { return option == "-w" || option == "--warning" || option == "--warning-range"; }
bool isCritical(std::string_view option) {
    return option == "-c" || option == "--critical" || option == "--critical-range";
}

}  // namespace

std::optional<StatusOptions> parseStatusOptions(int argc, const char* const* argv) {
    if (argc < 2 || std::string_view(argv[1]) != "status") return std::nullopt;
    StatusOptions options;
    if (argc == 3) {
        const std::string_view only = argv[2];
        if (only == "-h" || only == "--help") options.request = StatusRequest::Help;
        if (only == "-V" || only == "--version") options.request = StatusRequest::Version;
        if (options.request != StatusRequest::Probe) return options;
    }
    bool warningGiven = false, criticalGiven = false, outputGiven = false, timeoutGiven = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view option = argv[i];
        const bool hasValue = i + 1 < argc;
        if ((isWarning(option) && !warningGiven) || (isCritical(option) && !criticalGiven)) {
            if (!hasValue) return std::nullopt;
            const auto range = thresholdOption(option, argv[++i]);
            if (!range) return std::nullopt;
            (isWarning(option) ? options.thresholds.warning : options.thresholds.critical) = *range;
            (isWarning(option) ? warningGiven : criticalGiven) = true;
        } else if ((option == "-t" || option == "--timeout") && hasValue && !timeoutGiven) {
            const auto seconds = wholeNumber(argv[++i], 1, longestTimeout);
            if (!seconds) return std::nullopt;
            options.timeoutSeconds = static_cast<int>(*seconds);
            timeoutGiven = true;
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
    const auto warning = options.thresholds.warning.plainLimit(), critical = options.thresholds.critical.plainLimit();
    if (warning && critical && *warning > *critical) return std::nullopt;
    return options;
}

std::string statusHelp() {
    return std::string(statusUsage) +
           "\n\n"
           "Checks that the station's deliveries reach the sales database: the age of the\n"
           "oldest delivery waiting for an import, deliveries stuck or missing today,\n"
           "repeated invoice numbers of today, the server's clock against this PC's, and\n"
           "whether VANTROK runs here. Exit codes: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.\n"
           "\n"
           " -w, --warning-range RANGE  the oldest waiting delivery's age that warns outside\n"
           "                            RANGE (default 300: above 5 minutes)\n"
           " -c, --critical-range RANGE the same for critical (default 1800)\n"
           "     --warning MINUTES, --critical MINUTES\n"
           "                            the same as whole minutes\n"
           " -t, --timeout SECONDS      ends the probe UNKNOWN after so long, naming what it\n"
           "                            waited on (default 30, from 1 to 3600)\n"
           "     --json                 the status as one JSON object instead of the line\n"
           "     --prometheus FILE      also replaces FILE with the status as Prometheus gauges\n"
           " -h, --help                 this help\n"
           " -V, --version              the version\n"
           "\n"
           "RANGE as the monitoring plugins take it, in seconds unless a unit follows\n"
           "(s, m, h, d): N alerts outside 0 to N, N: below N, ~:N above N, M:N outside\n"
           "M to N, @M:N inside M to N. 5m is 300. The level is reached above a limit,\n"
           "not at it.\n";
}

}  // namespace vantrok::check
