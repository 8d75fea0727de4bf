#include "check/status/PluginRange.h"

#include <charconv>

#include "import/NumberText.h"

namespace vantrok::check {

namespace {

// A year: larger thresholds are typing errors, and the sums stay far from overflow.
constexpr std::int64_t longestSeconds = 366LL * 24 * 60 * 60;

std::optional<std::int64_t> seconds(std::string_view text) {
    std::int64_t unit = 1;
    switch (text.empty() ? '\0' : text.back()) {
    case 'm': unit = 60; break;
    case 'h': unit = 60 * 60; break;
    case 'd': unit = 24 * 60 * 60; break;
    default: break;
    }
    if (!text.empty() && (unit != 1 || text.back() == 's')) text.remove_suffix(1);
    std::int64_t number = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size() ||
        number < -longestSeconds || number > longestSeconds)
        return std::nullopt;
    return number * unit;
}

}  // namespace

bool PluginRange::alerts(std::int64_t value) const {
    const bool within = (!start || value >= *start) && (!end || value <= *end);
    return inside ? within : !within;
}

std::optional<std::int64_t> PluginRange::plainLimit() const {
    if (inside || start != std::optional<std::int64_t>(0) || !end) return std::nullopt;
    return end;
}

std::string PluginRange::text() const {
    if (plainLimit()) return decimalText(*end);
    return std::string(inside ? "@" : "") + (start ? decimalText(*start) : "~") + ":" + (end ? decimalText(*end) : "");
}

std::optional<PluginRange> parsePluginRange(std::string_view text) {
    PluginRange range;
    if (!text.empty() && text.front() == '@') {
        range.inside = true;
        text.remove_prefix(1);
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        range.end = seconds(text);
        if (!range.end) return std::nullopt;
    } else {
        const std::string_view low = text.substr(0, colon), high = text.substr(colon + 1);
        if (low == "~") range.start.reset();
        else if (!(range.start = seconds(low.empty() ? "0" : low))) return std::nullopt;
        if (!high.empty() && !(range.end = seconds(high))) return std::nullopt;
    }
    if (range.start && range.end && *range.start > *range.end) return std::nullopt;
    return range;
}

}  // namespace vantrok::check
