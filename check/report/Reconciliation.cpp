#include "check/report/Reconciliation.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "check/report/DeliveryStates.h"
#include "check/report/InvoiceSeries.h"
#include "check/report/MeterBreaks.h"

namespace vantrok::check {

namespace {

using SaleKey = std::pair<std::int64_t, CalendarDay>;

// A daily sale is matched to its delivery by Delivery_ID and the day of the
// delivery's completion, the sale's S_Date: a controller that numbers its
// deliveries from 1 again is not taken for carrying them twice.
std::map<SaleKey, std::vector<std::string>> vouchersByDelivery(const std::vector<SaleRecord>& sales) {
    std::map<SaleKey, std::vector<std::string>> carried;
    for (const SaleRecord& sale : sales) {
        if (sale.deliveryId) carried[{*sale.deliveryId, dayOf(sale.date)}].push_back(sale.voucher.value_or(""));
    }
    return carried;
}

void count(DayFigures& figures, const DeliveryRecord& d, DeliveryState state) {
    if (d.type == liveType) ++figures.live;
    else if (d.type == offlineType) ++figures.offline;
    else ++figures.otherTypes;
    switch (state) {
    case DeliveryState::Carried: ++figures.carried; break;
    case DeliveryState::Waiting: ++figures.waiting; break;
    case DeliveryState::Stuck: ++figures.stuck; break;
    case DeliveryState::Uncleared: ++figures.uncleared; break;
    case DeliveryState::Missing: ++figures.missing; break;
    case DeliveryState::OtherType: break;
    }
}

}  // namespace

Reconciliation reconcile(const StationReadings& readings, const DayRange& range) {
    Reconciliation report;
    report.range = range;
    report.asOf = readings.asOf;

    const auto carried = vouchersByDelivery(readings.sales);
    for (const auto& [key, vouchers] : carried) {
        if (vouchers.size() < 2) continue;
        report.carriedMoreThanOnce.push_back({key.second, key.first, vouchers});
        std::sort(report.carriedMoreThanOnce.back().vouchers.begin(), report.carriedMoreThanOnce.back().vouchers.end());
    }
    std::sort(report.carriedMoreThanOnce.begin(), report.carriedMoreThanOnce.end(),
              [](const CarriedMoreThanOnce& a, const CarriedMoreThanOnce& b) {
                  return std::tie(a.day, a.deliveryId) < std::tie(b.day, b.deliveryId);
              });

    report.invoiceDays = invoiceFindings(readings.sales);
    std::map<CalendarDay, std::vector<std::string>> unreadable;
    for (const InvoiceDay& day : report.invoiceDays) {
        if (!day.unreadable.empty()) unreadable[day.day] = day.unreadable;
    }

    std::map<CalendarDay, DayFigures> days;
    const Surroundings around{readings, unreadable};
    for (const DeliveryRecord& d : readings.deliveries) {
        const CalendarDay day = dayOf(d.completed);
        DeliveryState state = DeliveryState::Carried;
        if (!carried.contains({d.id, day})) {
            DeliveryFinding finding = notCarriedFinding(d, around);
            state = finding.state;
            if (state != DeliveryState::OtherType) report.notCarried.push_back(std::move(finding));
        }
        DayFigures& figures = days[day];
        figures.day = day;
        count(figures, d, state);
        count(report.total, d, state);
    }
    for (auto& [day, figures] : days) report.days.push_back(figures);
    std::stable_sort(report.notCarried.begin(), report.notCarried.end(),
                     [](const DeliveryFinding& a, const DeliveryFinding& b) {
                         return std::make_tuple(dayOf(a.delivery.completed), a.delivery.id) <
                                std::make_tuple(dayOf(b.delivery.completed), b.delivery.id);
                     });

    report.meterBreaks = meterBreaks(readings.lastBeforeRange, readings.deliveries);
    return report;
}

bool Reconciliation::accountedFor() const {
    return total.missing == 0 && total.stuck == 0 && carriedMoreThanOnce.empty() && invoiceDays.empty() &&
           meterBreaks.empty();
}

std::vector<DeliveryRecord> Reconciliation::toCarry() const {
    std::vector<DeliveryRecord> deliveries;
    for (const DeliveryFinding& finding : notCarried) {
        if (finding.state == DeliveryState::Missing) deliveries.push_back(finding.delivery);
    }
    return deliveries;
}

const char* stateName(DeliveryState state) {
    switch (state) {
    case DeliveryState::Carried: return "carried";
    case DeliveryState::Waiting: return "waiting";
    case DeliveryState::Stuck: return "stuck";
    case DeliveryState::Uncleared: return "uncleared";
    case DeliveryState::Missing: return "missing";
    case DeliveryState::OtherType: return "other-type";
    }
    return "";
}

}  // namespace vantrok::check
