#include "check/report/DeliveryStates.h"

#include "import/DailySale.h"
#include "import/DailySaleWrite.h"
#include "import/DateText.h"
#include "import/NumberText.h"
#include "import/SelectionTexts.h"
#include "import/ValueText.h"

namespace vantrok::check {

namespace {

std::string monthText(const db::DateTime& moment) {
    return dateText(moment).substr(3);  // "Oct-2016"
}

// What makes the delivery's write fail as things stand, in the write's order:
// the invoice number of its day, the hose, the fuel type, the unit price.
std::vector<Reason> writeFaults(const DeliveryRecord& d, ImportKind kind, const Surroundings& around) {
    std::vector<Reason> faults;
    if (auto day = around.unreadableVouchers.find(dayOf(d.completed)); day != around.unreadableVouchers.end()) {
        faults.push_back({"unreadable-voucher",
                          "the invoice query cannot read the voucher '" + day->second.front() + "' of its day"});
    }
    if (!d.pump || !d.hose) {
        faults.push_back({"no-hoses-row", "no Hoses row for Hose_ID " + decimalText(d.hoseId)});
    } else if (auto code = around.readings.fuelTypes.find({*d.pump, *d.hose});
               code != around.readings.fuelTypes.end() && !code->second) {
        faults.push_back({"null-fuel-type", "NULL fuel-type code in D10_Hose for pump " + decimalText(*d.pump) +
                                                " hose " + decimalText(*d.hose)});
    }
    if (kind == ImportKind::Offline) {
        if (db::isNull(d.volume)) {
            faults.push_back({"null-volume", "NULL volume: no unit price"});
        } else if (db::isNull(d.value)) {
            faults.push_back({"null-value", "NULL value: no unit price"});
        } else if (valueDecimal(d.volume, "Delivery_Volume").isZero()) {
            faults.push_back({"zero-volume", "zero volume: no unit price"});
        } else {
            try {
                offlineUnitPrice(d.value, d.volume);
            } catch (const std::exception&) {
                faults.push_back({"unit-price-overflow", "a unit price beyond 32 bits"});
            }
        }
    }
    return faults;
}

// Why no import selects a delivery of these kinds any more.
Reason unselectedReason(const DeliveryRecord& d, const db::DateTime& asOf) {
    if (d.type == offlineType) {
        if (dayOf(d.completed) < dayOf(asOf))
            return {"offline-of-earlier-day", "a type-14 of an earlier day: the offline import takes today's only"};
        return {"not-selected", "the offline import does not select it"};
    }
    const bool clearedEarlier = d.cleared->year < asOf.year ||
                                (d.cleared->year == asOf.year && d.cleared->month < asOf.month);
    if (clearedEarlier)
        return {"cleared-in-uncovered-month",
                "cleared in " + monthText(*d.cleared) + ", a month VANTROK did not cover"};
    const db::DateTime windowStart = firstDayOfPreviousMonth(asOf);
    if (d.completed < windowStart)
        return {"completed-before-live-window",
                "completed before " + dateText(windowStart) + ", outside the live import's window"};
    return {"delivery-id-taken",
            "another day's daily sale of this or last month carries its Delivery_ID, so the live import passes it by"};
}

}  // namespace

DeliveryFinding notCarriedFinding(const DeliveryRecord& d, const Surroundings& around) {
    const StationReadings& readings = around.readings;
    DeliveryFinding finding{d, DeliveryState::Missing, {}};
    if (d.type != liveType && d.type != offlineType) {
        finding.state = DeliveryState::OtherType;
        return finding;
    }
    const ImportKind kind = d.type == liveType ? ImportKind::Live : ImportKind::Offline;
    if (kind == ImportKind::Live && !d.cleared) {
        finding.state = DeliveryState::Uncleared;
        finding.reasons.push_back({"not-cleared", "not cleared yet"});
        return finding;
    }
    const std::vector<Reason> faults = writeFaults(d, kind, around);
    finding.writeFails = !faults.empty();
    const bool selected = kind == ImportKind::Live ? readings.liveSelects.contains(d.id)
                                                   : readings.offlineSelects.contains(d.id);
    if (selected) {
        finding.state = finding.writeFails ? DeliveryState::Stuck : DeliveryState::Waiting;
        finding.reasons.push_back(kind == ImportKind::Live
                                      ? Reason{"live-import-selects", "the live import selects it"}
                                      : Reason{"offline-import-selects", "the offline import selects it"});
    } else if (d.completed > readings.asOf || (d.cleared && *d.cleared > readings.asOf)) {
        // Recorded ahead of this computer's clock: an import may still take it in its time.
        finding.state = finding.writeFails ? DeliveryState::Stuck : DeliveryState::Waiting;
        finding.reasons.push_back({"ahead-of-the-clock", "recorded after this report's moment"});
    } else {
        finding.reasons.push_back(unselectedReason(d, readings.asOf));
    }
    finding.reasons.insert(finding.reasons.end(), faults.begin(), faults.end());
    return finding;
}

}  // namespace vantrok::check
