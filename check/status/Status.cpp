#include "check/status/Status.h"

#include <algorithm>

#include "check/report/InvoiceSeries.h"
#include "check/station/LocalTime.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

bool selected(const DeliveryFinding& finding, const StationReadings& station) {
    const DeliveryRecord& d = finding.delivery;
    return d.type == liveType ? station.liveSelects.contains(d.id) : station.offlineSelects.contains(d.id);
}

WaitingDelivery waitingDelivery(const DeliveryRecord& d, const db::DateTime& now) {
    const db::DateTime since = d.type == liveType && d.cleared ? *d.cleared : d.completed;
    return {d.id, d.type, since, std::max<std::int64_t>(0, epochSeconds(now) - epochSeconds(since))};
}

std::string counted(std::size_t n, const char* one, const char* many) {
    return decimalText(static_cast<long long>(n)) + " " + (n == 1 ? one : many);
}

std::string minutes(std::int64_t seconds) { return decimalText(seconds / 60) + " min"; }

std::string idList(const std::vector<DeliveryFinding>& findings) {
    std::string ids;
    for (const DeliveryFinding& f : findings) ids += (ids.empty() ? "Delivery_ID " : ", ") + decimalText(f.delivery.id);
    return ids;
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

StationFacts stationFacts(const StatusReadings& readings) {
    const StationReadings& station = readings.station;
    const CalendarDay today = dayOf(station.asOf);
    StationFacts facts;
    facts.lastSale = readings.lastSale;
    for (const DeliveryFinding& finding : reconcile(station, readings.days).notCarried) {
        if (finding.state == DeliveryState::Waiting && selected(finding, station)) {
            ++facts.waiting;
            const WaitingDelivery waiting = waitingDelivery(finding.delivery, station.asOf);
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

Status judgeStatus(const db::DateTime& probedAt, const Thresholds& thresholds, StationFacts station,
                   std::optional<bool> running) {
    Status status{StatusLevel::Ok, probedAt, thresholds, std::nullopt, running, {}};
    std::vector<std::string> warnings;
    const std::int64_t oldest = station.oldestWaitingSeconds();
    if (station.oldestWaiting && oldest >= thresholds.warningSeconds) {
        const bool critical = oldest >= thresholds.criticalSeconds;
        const std::string text = "oldest waiting delivery " + minutes(oldest) + " (Delivery_ID " +
                                 decimalText(station.oldestWaiting->id) + ", " + (critical ? "critical" : "warning") +
                                 " at " + minutes(critical ? thresholds.criticalSeconds : thresholds.warningSeconds) +
                                 ")";
        if (critical) status.problems.push_back(text);
        else warnings.push_back(text);
    }
    if (!station.stuck.empty())
        warnings.push_back(counted(station.stuck.size(), "delivery stuck", "deliveries stuck") + " (" +
                           idList(station.stuck) + ")");
    if (!station.missingToday.empty())
        warnings.push_back(counted(station.missingToday.size(), "delivery", "deliveries") + " of today missing (" +
                           idList(station.missingToday) + ")");
    if (!station.repeatedToday.empty()) {
        std::string numbers;
        for (const auto& [number, times] : station.repeatedToday)
            numbers += (numbers.empty() ? "" : ", ") + decimalText(number) + " used " + decimalText(times) + " times";
        warnings.push_back("invoice numbers of today repeated (" + numbers + ")");
    }
    if (running == false) warnings.push_back("VANTROK is not running on this PC");

    if (!status.problems.empty()) status.level = StatusLevel::Critical;
    else if (!warnings.empty()) status.level = StatusLevel::Warning;
    status.problems.insert(status.problems.end(), warnings.begin(), warnings.end());
    status.station = std::move(station);
    return status;
}

Status failedStatus(StatusLevel level, const db::DateTime& probedAt, const Thresholds& thresholds,
                    std::optional<bool> running, const std::string& problem) {
    return {level, probedAt, thresholds, std::nullopt, running, {problem}};
}

}  // namespace vantrok::check
