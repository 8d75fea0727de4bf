#include "check/status/Status.h"

#include <algorithm>

#include "check/report/FindingText.h"
#include "check/report/InvoiceSeries.h"
#include "check/status/StationTime.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

bool selected(const DeliveryFinding& finding, const StationReadings& station) {
    const DeliveryRecord& d = finding.delivery;
    return d.type == liveType ? station.liveSelects.contains(d.id) : station.offlineSelects.contains(d.id);
}

WaitingDelivery waitingDelivery(const DeliveryRecord& d, const StationTime& time) {
    const db::DateTime since = d.type == liveType && d.cleared ? *d.cleared : d.completed;
    const std::int64_t sinceSeconds = time.utcSeconds(since);
    // A stamp ahead of the server's own clock is no wait yet.
    return {d.id, d.type, since, sinceSeconds, std::max<std::int64_t>(0, time.nowSeconds() - sinceSeconds)};
}

std::string counted(std::size_t n, const char* one, const char* many) {
    return decimalText(static_cast<long long>(n)) + " " + (n == 1 ? one : many);
}

std::string minutes(std::int64_t seconds) { return decimalText(seconds / 60) + " min"; }

std::string rangeText(const PluginRange& range) {
    if (const auto limit = range.plainLimit()) return "above " + minutes(*limit);
    return (range.inside ? "inside " : "outside ") + range.text() + " s";
}

void addFindingDetails(std::vector<std::string>& details, const std::vector<DeliveryFinding>& findings,
                       const std::string& what) {
    for (const DeliveryFinding& f : findings)
        details.push_back("Delivery_ID " + decimalText(f.delivery.id) + " " + what + ": " + text::reasons(f));
}

Status contextStatus(StatusLevel level, const ProbeContext& context) {
    Status status;
    status.level = level;
    status.probedAt = context.probedAt;
    status.probedAtSeconds = context.probedAtSeconds;
    status.thresholds = context.thresholds;
    status.running = context.running;
    return status;
}

}  // namespace

const char* levelName(StatusLevel level) {
    switch (level) {
    case StatusLevel::Ok: return "OK";
    case StatusLevel::Warning: return "WARNING";
    case StatusLevel::Critical: return "CRITICAL";
    case StatusLevel::Unknown: return "UNKNOWN";
    }
    return "UNKNOWN";
}

StationFacts stationFacts(const StatusReadings& readings, std::int64_t pcUtcSeconds, const ZoneRules& pcRules) {
    const StationReadings& station = readings.station;
    const StationTime time(readings.serverClock, pcUtcSeconds, pcRules);
    const CalendarDay today = dayOf(station.asOf);
    StationFacts facts;
    facts.clockSkewSeconds = time.clockSkewSeconds();
    facts.lastSale = readings.lastSale;
    if (readings.lastSale) facts.lastSaleSeconds = time.utcSeconds(*readings.lastSale);
    for (const DeliveryFinding& finding : reconcile(station, readings.days).notCarried) {
        if (finding.state == DeliveryState::Waiting && selected(finding, station)) {
            ++facts.waiting;
            const WaitingDelivery waiting = waitingDelivery(finding.delivery, time);
            if (!facts.oldestWaiting || waiting.ageSeconds > facts.oldestWaiting->ageSeconds)
                facts.oldestWaiting = waiting;
        } else if (finding.state == DeliveryState::Stuck) {
            facts.stuck.push_back(finding);
        } else if (finding.state == DeliveryState::Missing && dayOf(finding.delivery.completed) == today) {
            facts.missingToday.push_back(finding);
        }
    }
    for (const InvoiceDay& day : invoiceFindings(station.sales))
        if (day.day == today) facts.repeatedToday = day.repeats;
    return facts;
}

Status judgeStatus(const ProbeContext& context, StationFacts station) {
    Status status = contextStatus(StatusLevel::Ok, context);
    std::vector<std::string> warnings;
    const Thresholds& thresholds = context.thresholds;
    if (const auto& oldest = station.oldestWaiting) {
        const bool critical = thresholds.critical.alerts(oldest->ageSeconds);
        if (critical || thresholds.warning.alerts(oldest->ageSeconds)) {
            const std::string text = "oldest waiting delivery " + minutes(oldest->ageSeconds) + " (Delivery_ID " +
                                     decimalText(oldest->id) + ", " + (critical ? "critical " : "warning ") +
                                     rangeText(critical ? thresholds.critical : thresholds.warning) + ")";
            (critical ? status.problems : warnings).push_back(text);
        }
    }
    if (!station.stuck.empty())
        warnings.push_back(counted(station.stuck.size(), "delivery stuck", "deliveries stuck"));
    if (!station.missingToday.empty())
        warnings.push_back(counted(station.missingToday.size(), "delivery", "deliveries") + " of today missing");
    if (!station.repeatedToday.empty())
        warnings.push_back(counted(station.repeatedToday.size(), "invoice number", "invoice numbers") +
                           " of today repeated");
    if (clockSkewRange.alerts(station.clockSkewSeconds))
        warnings.push_back("the server's clock is " + decimalText(station.clockSkewSeconds) +
                           " s off the PC's (warning outside " + clockSkewRange.text() + " s)");
    if (context.running == false) warnings.push_back("VANTROK is not running on this PC");

    addFindingDetails(status.details, station.stuck, "stuck");
    addFindingDetails(status.details, station.missingToday, "of today missing");
    for (const auto& [number, times] : station.repeatedToday)
        status.details.push_back("invoice number " + decimalText(number) + " of today used " + decimalText(times) +
                                 " times");

    if (!status.problems.empty()) status.level = StatusLevel::Critical;
    else if (!warnings.empty()) status.level = StatusLevel::Warning;
    status.problems.insert(status.problems.end(), warnings.begin(), warnings.end());
    status.station = std::move(station);
    return status;
}

Status failedStatus(StatusLevel level, const ProbeContext& context, const std::string& problem) {
    Status status = contextStatus(level, context);
    status.problems = {problem};
    return status;
}

}  // namespace vantrok::check
