#include "tests/soak/DeliveryLedger.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>

namespace vantrok::soak {

DeliveryLedger::Entry& DeliveryLedger::entry(std::int64_t id) {
    const auto found = entries_.find(id);
    if (found == entries_.end()) throw std::logic_error("delivery " + std::to_string(id) + " was never recorded");
    return found->second;
}

void DeliveryLedger::recorded(std::int64_t id) {
    if (!entries_.emplace(id, Entry{}).second)
        throw std::logic_error("delivery " + std::to_string(id) + " recorded twice");
}

void DeliveryLedger::selectable(std::int64_t id, Moment from, Moment until) {
    Entry& e = entry(id);
    if (e.from) throw std::logic_error("delivery " + std::to_string(id) + " became selectable twice");
    e.from = from;
    e.until = until;
    waiting_.push_back(id);
}

void DeliveryLedger::spoil(std::int64_t id) {
    Entry& e = entry(id);
    ++e.causes;
    e.calmTicks = 0;
}

void DeliveryLedger::mend(std::int64_t id) {
    Entry& e = entry(id);
    if (e.causes == 0) throw std::logic_error("delivery " + std::to_string(id) + " mended but never spoiled");
    --e.causes;
}

void DeliveryLedger::connectionsBroken() {
    for (const std::int64_t id : waiting_) entries_.at(id).calmTicks = 0;
}

void DeliveryLedger::importTick(Moment at, bool faultFree) {
    std::erase_if(waiting_, [&](std::int64_t id) {
        Entry& e = entries_.at(id);
        if (at < *e.from) return false;
        if (at >= e.until) return true;  // no longer selected: due never
        e.calmTicks = faultFree && e.causes == 0 ? e.calmTicks + 1 : 0;
        e.due = e.calmTicks >= calmTicksNeeded;
        return e.due;
    });
}

bool DeliveryLedger::isDue(std::int64_t id) const {
    const auto found = entries_.find(id);
    return found != entries_.end() && found->second.due;
}

LedgerOutcome DeliveryLedger::check(const std::vector<SaleRecord>& sales) const {
    LedgerOutcome out;
    std::map<std::int64_t, int> salesOf;
    std::set<std::pair<std::string, std::string>> invoices;  // day, invoice number
    for (const SaleRecord& sale : sales) {
        const auto found = sale.deliveryId ? entries_.find(*sale.deliveryId) : entries_.end();
        if (found == entries_.end() || !found->second.from) ++out.strays;
        else ++salesOf[*sale.deliveryId];
        const std::string day = sale.sDate.value_or("").substr(0, 10);
        if (!invoices.emplace(day, sale.vocNo.value_or("")).second) ++out.repeatedInvoices;
    }
    for (const auto& [id, e] : entries_) {
        ++out.recorded;
        if (e.from) ++out.selectable;
        if (e.due) ++out.due;
        const auto count = salesOf.find(id);
        const int written = count == salesOf.end() ? 0 : count->second;
        if (written > 0) ++out.carried;
        if (written > 1) {
            ++out.duplicated;
            out.duplicatedIds.push_back(id);
        }
        if (e.due && written == 0) {
            ++out.lost;
            out.lostIds.push_back(id);
        }
    }
    return out;
}

}  // namespace vantrok::soak
