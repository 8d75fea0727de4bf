#include "check/station/CalendarDay.h"
#include "check/report/FindingText.h"
#include "check/station/JsonText.h"
#include "check/station/LocalTime.h"
#include "check/status/StatusFormats.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

// A moment as local text and, beside it under `name`Seconds, since the epoch.
std::string momentJson(const std::string& name, const std::optional<db::DateTime>& moment) {
    if (!moment) return "\"" + name + "\":null,\"" + name + "Seconds\":null";
    return "\"" + name + "\":" + jsonQuoted(isoText(*moment)) + ",\"" + name +
           "Seconds\":" + decimalText(epochSeconds(*moment));
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
                 momentJson("since", w->since) + ",\"ageSeconds\":" + decimalText(w->ageSeconds) + "}";
    std::string repeats = "[";
    for (const auto& [number, times] : facts.repeatedToday)
        repeats += (repeats.size() > 1 ? ",{" : "{") + std::string("\"number\":") + decimalText(number) +
                   ",\"times\":" + decimalText(times) + "}";
    return ",\"waiting\":" + decimalText(facts.waiting) +
           ",\"oldestWaitingSeconds\":" + decimalText(facts.oldestWaitingSeconds()) + ",\"oldestWaiting\":" + oldest +
           ",\"stuck\":" + findingsJson(facts.stuck) + ",\"missingToday\":" + findingsJson(facts.missingToday) +
           ",\"repeatedInvoiceNumbersToday\":" + repeats + "]," + momentJson("lastSale", facts.lastSale);
}

}  // namespace

std::string statusJson(const Status& status) {
    std::string problems = "[";
    for (const std::string& problem : status.problems) problems += (problems.size() > 1 ? "," : "") + jsonQuoted(problem);
    return "{\"status\":" + jsonQuoted(levelName(status.level)) + ",\"problems\":" + problems + "]," +
           momentJson("probedAt", status.probedAt) + ",\"warningSeconds\":" +
           decimalText(status.thresholds.warningSeconds) +
           ",\"criticalSeconds\":" + decimalText(status.thresholds.criticalSeconds) +
           ",\"running\":" + (status.running ? (*status.running ? "true" : "false") : "null") +
           ",\"builtinLogin\":" + (status.builtinLogin ? (*status.builtinLogin ? "true" : "false") : "null") +
           ",\"up\":" + (status.station ? "true" + stationJson(*status.station) : std::string("false")) + "}\n";
}

}  // namespace vantrok::check
