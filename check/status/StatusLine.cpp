#include "check/station/CalendarDay.h"
#include "check/status/StatusFormats.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

// A problem's text may carry a server's message: neither the perfdata's bar
// nor a line break may end the text early.
std::string pluginText(std::string text) {
    for (char& c : text) {
        if (c == '|') c = '/';
        else if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    }
    return text;
}

std::string summary(const Status& status) {
    const StationFacts& facts = *status.station;
    std::string text = decimalText(facts.waiting) + (facts.waiting == 1 ? " delivery waiting" : " deliveries waiting");
    if (facts.oldestWaiting) text += ", the oldest " + decimalText(facts.oldestWaitingSeconds() / 60) + " min";
    text += facts.lastSale ? ", last sale " + isoText(*facts.lastSale) : ", no sale yet";
    if (status.running) text += ", VANTROK running";
    return text;
}

std::string count(const char* label, std::size_t n) {
    return std::string(" '") + label + "'=" + decimalText(static_cast<long long>(n)) + ";;;0";
}

std::string perfdata(const Status& status) {
    const StationFacts& facts = *status.station;
    return " |" + count("waiting", static_cast<std::size_t>(facts.waiting)) + " 'oldest_waiting'=" +
           decimalText(facts.oldestWaitingSeconds()) + "s;" + decimalText(status.thresholds.warningSeconds) + ";" +
           decimalText(status.thresholds.criticalSeconds) + ";0" + count("stuck", facts.stuck.size()) +
           count("missing_today", facts.missingToday.size()) +
           count("repeated_invoice_numbers_today", facts.repeatedToday.size());
}

}  // namespace

std::string statusLine(const Status& status) {
    std::string text;
    for (const std::string& problem : status.problems) text += (text.empty() ? "" : "; ") + problem;
    if (text.empty() && status.station) text = summary(status);
    return "VANTROK " + std::string(levelName(status.level)) + " - " + pluginText(text) +
           (status.station ? perfdata(status) : "") + "\n";
}

}  // namespace vantrok::check
