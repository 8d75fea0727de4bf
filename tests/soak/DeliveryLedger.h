#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/soak/SimulatedTime.h"

namespace vantrok::soak {

// One daily sale as far as the checks need it; NULL as nullopt.
struct SaleRecord {
    std::optional<std::int64_t> deliveryId;
    std::optional<std::string> vocNo;
    std::optional<std::string> sDate;  // "YYYY-MM-DD HH:MM:SS.fff"
};

// What the daily sales hold against what the forecourt recorded.
struct LedgerOutcome {
    int recorded = 0;
    int selectable = 0;  // cleared live deliveries and every offline one
    int due = 0;
    int carried = 0;     // recorded deliveries with at least one daily sale
    int lost = 0;        // due and without a daily sale
    int duplicated = 0;  // deliveries with more than one daily sale
    int strays = 0;      // daily sales of no selectable delivery
    int repeatedInvoices = 0;  // daily sales whose day already has their invoice number
    std::vector<std::int64_t> lostIds;
    std::vector<std::int64_t> duplicatedIds;

    bool sound() const { return lost == 0 && duplicated == 0 && strays == 0 && repeatedInvoices == 0; }
};

// Which deliveries the bridge owes a daily sale. A delivery is due once three
// import ticks in a row ran within its selection period (the month it was
// cleared in, or the day it was completed on) after it became selectable,
// with the server accepting connections and the procedure accepting calls,
// no break of the connections after the first of them and its own causes
// mended: three are what reopening both connections one after the other
// needs at most.
class DeliveryLedger {
public:
    static constexpr int calmTicksNeeded = 3;

    void recorded(std::int64_t id);
    // Selected from `from` until just before `until`.
    void selectable(std::int64_t id, Moment from, Moment until);
    // A cause that keeps the delivery from being written; mend() takes one away.
    void spoil(std::int64_t id);
    void mend(std::int64_t id);
    void connectionsBroken();
    // An import tick at `at`; faultFree when neither refused connections nor a
    // refusing procedure stood in its way.
    void importTick(Moment at, bool faultFree);

    bool isDue(std::int64_t id) const;
    LedgerOutcome check(const std::vector<SaleRecord>& sales) const;

private:
    struct Entry {
        std::optional<Moment> from;
        Moment until{};
        int causes = 0;
        int calmTicks = 0;
        bool due = false;
    };
    Entry& entry(std::int64_t id);

    std::map<std::int64_t, Entry> entries_;
    std::vector<std::int64_t> waiting_;  // selectable, not yet due
};

}  // namespace vantrok::soak
