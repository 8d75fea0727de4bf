#include "check/Arguments.h"

#include <string_view>

namespace vantrok::check {

std::optional<Arguments> parseArguments(int argc, const char* const* argv) {
    if (argc < 2) return std::nullopt;
    Arguments arguments;
    const std::string_view command = argv[1];
    if (command == "report") arguments.command = Command::Report;
    else if (command == "carry") arguments.command = Command::Carry;
    else return std::nullopt;

    const bool report = arguments.command == Command::Report;
    std::optional<CalendarDay> from, to;
    bool formatGiven = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view option = argv[i];
        if ((option == "--from" || option == "--to") && i + 1 < argc) {
            std::optional<CalendarDay>& day = option == "--from" ? from : to;
            if (day) return std::nullopt;
            day = parseIsoDay(argv[++i]);
            if (!day) return std::nullopt;
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
    if (!from || !to || *to < *from) return std::nullopt;
    arguments.range = {*from, *to};
    return arguments;
}

}  // namespace vantrok::check
