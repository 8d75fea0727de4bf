#include <algorithm>

#include "check/station/CalendarDay.h"
#include "check/status/StatusFormats.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

// The first line stays within what every monitoring system keeps whole;
// the rest goes on the following lines.
constexpr std::size_t firstLineBytes = 300;

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

// A count whose every value above 0 warns carries the warn field 0.
std::string count(const char* label, std::size_t n, bool warns) {
    return std::string(" '") + label + "'=" + decimalText(static_cast<long long>(n)) + (warns ? ";0;;0" : ";;;0");
}

std::string perfdata(const Status& status) {
    const StationFacts& facts = *status.station;
    return " |" + count("waiting", static_cast<std::size_t>(facts.waiting), false) + " 'oldest_waiting'=" +
           decimalText(facts.oldestWaitingSeconds()) + "s;" + status.thresholds.warning.text() + ";" +
           status.thresholds.critical.text() + ";0" + count("stuck", facts.stuck.size(), true) +
           count("missing_today", facts.missingToday.size(), true) +
           count("repeated_invoice_numbers_today", facts.repeatedToday.size(), true) + " 'clock_skew'=" +
           decimalText(facts.clockSkewSeconds) + "s;" + clockSkewRange.text() + ";;";
}

}  // namespace

std::string statusLine(const Status& status) {
    std::string text;
    for (const std::string& problem : status.problems) text += (text.empty() ? "" : "; ") + problem;
    if (text.empty() && status.station) text = summary(status);
    text = pluginText(text);
    const std::string head = "VANTROK " + std::string(levelName(status.level)) + " - ";
    const std::string figures = status.station ? perfdata(status) : "";
    std::string more;
    const std::size_t room = firstLineBytes - std::min(firstLineBytes - 40, head.size() + figures.size());
    if (text.size() > room) {
        for (const std::string& problem : status.problems) more += pluginText(problem) + "\n";
        std::size_t cut = room - 3;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;  // not inside a UTF-8 character
        text = text.substr(0, cut) + "...";
    }
    for (const std::string& detail : status.details) more += pluginText(detail) + "\n";
    return head + text + figures + "\n" + more;
}

}  // namespace vantrok::check
