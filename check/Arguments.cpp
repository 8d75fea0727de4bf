#include "check/Arguments.h"

#include <charconv>
#include <string_view>

namespace vantrok::check {

namespace {

// Ten years back at the most: beyond that a range is a typing error.
constexpr int mostDays = 3660;
constexpr int longestSettle = 600;

std::optional<int> number(std::string_view text, int least, int most) {
    int count = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), count);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size() || count < least || count > most)
        return std::nullopt;
    return count;
}

}  // namespace

std::optional<Arguments> parseArguments(int argc, const char* const* argv, const CalendarDay& today,
                                        std::string& problem) {
    if (argc < 2) return std::nullopt;
    Arguments arguments;
    const std::string_view command = argv[1];
    if (command == "report") arguments.command = Command::Report;
    else if (command == "carry") arguments.command = Command::Carry;
    else return std::nullopt;

    const bool report = arguments.command == Command::Report;
    std::optional<CalendarDay> from, to;
    std::optional<int> last;
    bool formatGiven = false;
    bool settleGiven = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view option = argv[i];
        if ((option == "--from" || option == "--to") && i + 1 < argc) {
            std::optional<CalendarDay>& day = option == "--from" ? from : to;
            if (day) return std::nullopt;
            day = parseIsoDay(argv[++i]);
            if (!day) return std::nullopt;
        } else if (option == "--last" && i + 1 < argc && !last) {
            last = number(argv[++i], 1, mostDays);
            if (!last) {
                problem = "--last takes a number of days from 1 to " + std::to_string(mostDays);
                return std::nullopt;
            }
        } else if (!report && option == "--settle" && i + 1 < argc && !settleGiven) {
            const std::optional<int> seconds = number(argv[++i], 0, longestSettle);
            if (!seconds) {
                problem = "--settle takes a number of seconds from 0 to " + std::to_string(longestSettle);
                return std::nullopt;
            }
            arguments.settleSeconds = *seconds;
            settleGiven = true;
        } else if (report && (option == "--csv" || option == "--json") && !formatGiven) {
            arguments.format = option == "--csv" ? Format::Csv : Format::Json;
            formatGiven = true;
        } else if (!report && option == "--yes" && !arguments.yes && !arguments.dryRun) {
            arguments.yes = true;
        } else if (!report && option == "--dry-run" && !arguments.yes && !arguments.dryRun) {
            arguments.dryRun = true;
        } else {
            return std::nullopt;
        }
    }
    if (last) {
        if (from || to) return std::nullopt;
        from = daysBefore(today, *last - 1);
        to = today;
    }
    if (!from || !to || *to < *from) return std::nullopt;
    if (*from < firstDatetimeDay || !(*to < lastDatetimeDay)) {
        problem = "the days must lie from " + isoText(firstDatetimeDay) + " to " + isoText(daysBefore(lastDatetimeDay, 1)) +
                  ": SQL Server's datetime holds no day before, and a range is read up to the day after its last";
        return std::nullopt;
    }
    arguments.range = {*from, *to};
    return arguments;
}

}  // namespace vantrok::check
