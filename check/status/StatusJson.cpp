#include "check/station/CalendarDay.h"
#include "check/report/FindingText.h"
#include "check/station/JsonText.h"
#include "check/status/StatusFormats.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

// A moment as local text and, beside it under `name`Seconds, in Unix time.
std::string momentJson(const std::string& name, const std::optional<db::DateTime>& moment,
                       std::optional<std::int64_t> seconds) {
    if (!moment || !seconds) return "\"" + name + "\":null,\"" + name + "Seconds\":null";
    return "\"" + name + "\":" + jsonQuoted(isoText(*moment)) + ",\"" + name + "Seconds\":" + decimalText(*seconds);
}

std::string findingsJson(const std::vector<DeliveryFinding>& findings) {
    std::string out = "[";
    for (const DeliveryFinding& f : findings) {
        const DeliveryRecord& d = f.delivery;
        out += (out.size() > 1 ? ",{" : "{") + std::string("\"deliveryId\":") + decimalText(d.id) +
               ",\"type\":" + decimalText(d.type) + ",\"completed\":" + jsonQuoted(isoText(d.completed)) +
               ",\"volume\":" + (db::isNull(d.volume) ? "null" : jsonQuoted(text::value(d.volume))) +
               ",\"value\":" + (db::isNull(d.value) ? "null" : jsonQuoted(text::value(d.value))) +
               ",\"codes\":" + jsonQuoted(text::reasonCodes(f)) + ",\"reasons\":" + jsonQuoted(text::reasons(f)) + "}";
    }
    return out + "]";
}

std::string stationJson(const StationFacts& facts) {
    std::string oldest = "null";
    if (const auto& w = facts.oldestWaiting)
        oldest = "{\"deliveryId\":" + decimalText(w->id) + ",\"type\":" + decimalText(w->type) + "," +
                 momentJson("since", w->since, w->sinceSeconds) + ",\"ageSeconds\":" + decimalText(w->ageSeconds) + "}";
    std::string repeats = "[";
    for (const auto& [number, times] : facts.repeatedToday)
        repeats += (repeats.size() > 1 ? ",{" : "{") + std::string("\"number\":") + decimalText(number) +
                   ",\"times\":" + decimalText(times) + "}";
    return ",\"waiting\":" + decimalText(facts.waiting) +
           ",\"oldestWaitingSeconds\":" + decimalText(facts.oldestWaitingSeconds()) + ",\"oldestWaiting\":" + oldest +
           ",\"stuck\":" + findingsJson(facts.stuck) + ",\"missingToday\":" + findingsJson(facts.missingToday) +
           ",\"repeatedInvoiceNumbersToday\":" + repeats + "]," +
           momentJson("lastSale", facts.lastSale, facts.lastSaleSeconds) +
           ",\"clockSkewSeconds\":" + decimalText(facts.clockSkewSeconds);
}

// A plain limit as a number of seconds, as before ranges; null for any other range.
std::string limitJson(const PluginRange& range) {
    const auto limit = range.plainLimit();
    return limit ? decimalText(*limit) : "null";
}

}  // namespace

std::string statusJson(const Status& status) {
    std::string problems = "[";
    for (const std::string& problem : status.problems) problems += (problems.size() > 1 ? "," : "") + jsonQuoted(problem);
    std::string details = "[";
    for (const std::string& detail : status.details) details += (details.size() > 1 ? "," : "") + jsonQuoted(detail);
    const Thresholds& t = status.thresholds;
    return "{\"status\":" + jsonQuoted(levelName(status.level)) + ",\"problems\":" + problems + "],\"details\":" +
           details + "]," + momentJson("probedAt", status.probedAt, status.probedAtSeconds) +
           ",\"warningSeconds\":" + limitJson(t.warning) + ",\"criticalSeconds\":" + limitJson(t.critical) +
           ",\"warningRange\":" + jsonQuoted(t.warning.text()) + ",\"criticalRange\":" + jsonQuoted(t.critical.text()) +
           ",\"running\":" + (status.running ? (*status.running ? "true" : "false") : "null") +
           ",\"builtinLogin\":" + (status.builtinLogin ? (*status.builtinLogin ? "true" : "false") : "null") +
           ",\"up\":" + (status.station ? "true" + stationJson(*status.station) : std::string("false")) + "}\n";
}

}  // namespace vantrok::check
