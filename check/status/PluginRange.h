#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrok::check {

// A monitoring plugins' threshold range over whole seconds: "[@]start:end",
// start "~" for no lower bound, an empty end for no upper one, "N" alone
// for "0:N". A value outside the range alerts; with "@", one inside it does.
// Both ends belong to the range, so a level is reached above "300", not at it.
struct PluginRange {
    std::optional<std::int64_t> start = 0;  // none: no lower bound
    std::optional<std::int64_t> end;        // none: no upper bound
    bool inside = false;                    // "@": alert inside the range

    bool alerts(std::int64_t value) const;
    // The upper end of a plain "N" or "0:N" range, the form the minute options
    // give: none for any other range.
    std::optional<std::int64_t> plainLimit() const;
    // The range in the plugins' own syntax, in seconds, as perfdata carries it.
    std::string text() const;

    static PluginRange upTo(std::int64_t seconds) { return {0, seconds, false}; }
};

// Each number may carry a unit: s (the default), m, h or d. None for text
// that is not a range, or whose start lies above its end.
std::optional<PluginRange> parsePluginRange(std::string_view text);

}  // namespace vantrok::check
