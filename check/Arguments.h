#pragma once

#include <optional>

#include "check/CalendarDay.h"

namespace vantrok::check {

enum class Command { Report, Carry };
enum class Format { Text, Csv, Json };

struct Arguments {
    Command command = Command::Report;
    DayRange range;
    Format format = Format::Text;  // report only
    bool yes = false;              // carry only: ask nothing
    bool dryRun = false;           // carry only: list, write nothing
};

// vantrok-check report --from DAY --to DAY [--csv | --json]
// vantrok-check carry --from DAY --to DAY [--yes | --dry-run]
// Days as YYYY-MM-DD, the first not after the last. None for anything else.
std::optional<Arguments> parseArguments(int argc, const char* const* argv);

inline constexpr const char* usage =
    "usage: vantrok-check report --from YYYY-MM-DD --to YYYY-MM-DD [--csv | --json]\n"
    "       vantrok-check carry --from YYYY-MM-DD --to YYYY-MM-DD [--yes | --dry-run]\n";

}  // namespace vantrok::check
