#pragma once

#include <optional>
#include <string>

#include "check/station/CalendarDay.h"

namespace vantrok::check {

enum class Command { Report, Carry };
enum class Format { Text, Csv, Json };

struct Arguments {
    Command command = Command::Report;
    DayRange range;
    Format format = Format::Text;  // report only
    bool yes = false;              // carry only: ask nothing
    bool dryRun = false;           // carry only: list, write nothing
    // carry only: seconds from its writes to the check of their invoice
    // numbers. VANTROK writes a sale at most two command time-outs (30 s
    // each) after it took its number; by then any such write has landed.
    int settleSeconds = 65;
};

// The days SQL Server's datetime holds; a range's day after its last must be
// one of them too, as the readings end there.
inline constexpr CalendarDay firstDatetimeDay{1753, 1, 1};
inline constexpr CalendarDay lastDatetimeDay{9999, 12, 31};

// vantrok-check report (--from DAY --to DAY | --last DAYS) [--csv | --json]
// vantrok-check carry (--from DAY --to DAY | --last DAYS) [--yes | --dry-run]
// Days as YYYY-MM-DD, the first not after the last; --last DAYS is today and
// the DAYS-1 days before it. None for anything else, with what was wrong in
// problem when it is more than the usage says.
std::optional<Arguments> parseArguments(int argc, const char* const* argv, const CalendarDay& today,
                                        std::string& problem);

inline constexpr const char* usage =
    "usage: vantrok-check report (--from YYYY-MM-DD --to YYYY-MM-DD | --last DAYS) [--csv | --json]\n"
    "       vantrok-check carry (--from YYYY-MM-DD --to YYYY-MM-DD | --last DAYS) [--yes | --dry-run]\n"
    "                           [--settle SECONDS]\n";

}  // namespace vantrok::check
