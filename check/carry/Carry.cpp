#include "check/carry/Carry.h"

#include <cstdlib>
#include <map>
#include <string_view>

#include "check/carry/CarryJournal.h"
#include "check/carry/JournalCheck.h"
#include "check/carry/SalesLock.h"
#include "check/station/Statements.h"
#include "db/ResultSet.h"
#include "db/Transaction.h"
#include "import/DailySaleWrite.h"
#include "import/ErrorTrap.h"
#include "import/ValueError.h"
#include "import/ValueText.h"

namespace vantrok::check {

namespace {

constexpr const char* work = "vantrok-check carry";
// A sale renumbered because of a write in flight could meet another; more
// rounds than that mean something else is wrong.
constexpr int checkRounds = 5;

// The tests end the program abruptly where VANTROK_CHECK_KILL_AT names, as a
// closed console or a power cut would.
void endHereIfAsked(std::string_view point) {
    const char* asked = std::getenv("VANTROK_CHECK_KILL_AT");
    if (asked != nullptr && point == asked) std::_Exit(137);
}

struct CarriedSale {
    CalendarDay day;
    std::int64_t deliveryId = 0;
    ImportKind kind = ImportKind::Live;
    db::Row row;
};

using Days = std::map<CalendarDay, std::map<std::int64_t, std::int64_t>>;

// Each day's deliveries by Delivery_ID, with their type.
Days byDay(const std::vector<DeliveryRecord>& deliveries) {
    Days days;
    for (const DeliveryRecord& d : deliveries) days[dayOf(d.completed)][d.id] = d.type;
    return days;
}

std::int64_t deliveryIdOf(const db::Fields& row) {
    return std::stoll(valueText(row.field("Delivery_ID"), "Delivery_ID"));
}

class CarryRun {
public:
    CarryRun(Bridge& bridge, CarryJournal& journal, Settle& settle, std::int64_t settleSeconds, CarryLog& log)
        : bridge_(bridge), journal_(journal), settle_(settle), settleSeconds_(settleSeconds), log_(log),
          trap_(bridge.trace()) {
        // Told of the voucher of each write for as long as the run lasts, the bridge's own observer as well.
        previousObserver_ = bridge_.onSaleWritten([this](ImportKind kind, const SaleValues& values) {
            lastVoucher_ = valueText(values[0], "VocNo");
            if (previousObserver_) previousObserver_(kind, values);
        });
    }
    ~CarryRun() { bridge_.onSaleWritten(std::move(previousObserver_)); }
    CarryRun(const CarryRun&) = delete;
    CarryRun& operator=(const CarryRun&) = delete;

    CarryOutcome carry(const std::vector<DeliveryRecord>& deliveries) {
        for (const auto& [day, types] : byDay(deliveries)) {
            writeDay(day, types);
            if (outcome_.ended) break;
        }
        settleJournal();
        outcome_.unchecked = static_cast<int>(journal_.entries().size());
        return outcome_;
    }

private:
    void writeDay(const CalendarDay& day, const std::map<std::int64_t, std::int64_t>& types) {
        for (db::Row& row : readDay(day, types)) {
            const std::int64_t id = deliveryIdOf(row);
            const ImportKind kind = types.at(id) == liveType ? ImportKind::Live : ImportKind::Offline;
            if (!write(CarriedSale{day, id, kind, std::move(row)})) return;
        }
    }

    // The listed deliveries of the day, read whole before anything is written.
    std::vector<db::Row> readDay(const CalendarDay& day, const std::map<std::int64_t, std::int64_t>& types) {
        std::vector<db::Row> rows;
        try {
            bridge_.onConnection(Link::Controller, [&] {
                db::ResultSet set = bridge_.controllerConnection.execute(deliveriesCompletedText(day, nextDay(day)));
                for (; !set.eof(); set.moveNext()) {
                    const db::Value& id = set.field("Delivery_ID");
                    if (!db::isNull(id) && types.contains(deliveryIdOf(set))) rows.push_back(set.row());
                }
            });
        } catch (const std::exception& error) {
            trap_.caught(work, {}, error);
            outcome_.ended = true;
            rows.clear();
        }
        return rows;
    }

    // Takes the day's next number and writes under the table lock: no other
    // writer that honours locks takes a number between the two. False when
    // the run cannot go on.
    bool write(CarriedSale sale) {
        lastVoucher_.clear();
        try {
            bridge_.onConnection(Link::Sales, [&] {
                db::Transaction transaction(bridge_.salesConnection);
                lockSalesDay(bridge_.salesConnection, sale.day);
                WRITE_DAILY_SALE(bridge_, sale.row, sale.kind);
                journal_.add({sale.day, sale.deliveryId, lastVoucher_, unixNow() + settleSeconds_});
                endHereIfAsked("journaled");
                transaction.commit();
                endHereIfAsked("committed");
            });
        } catch (const std::exception& error) {
            trap_.caught(work, std::to_string(sale.deliveryId), error);
            ++outcome_.failed;
            return !endsRun(error);
        }
        log_.written(sale.deliveryId, lastVoucher_, sale.kind);
        ++outcome_.written;
        const std::pair key{sale.day, sale.deliveryId};
        carried_.insert_or_assign(key, std::move(sale));
        return true;
    }

    // Rounds of settle and check until the journal is empty: what this run
    // wrote and what earlier runs left, each once its own settle has passed
    // (an earlier run's may have been longer).
    void settleJournal() {
        for (int round = 0; round < checkRounds && !journal_.entries().empty() && !bridge_.isBroken(Link::Sales);
             ++round) {
            const std::vector<JournalEntry> waited = journal_.entries();
            log_.waiting();
            endHereIfAsked("settle");
            settle_.wait();
            if (!checkEntries(dueEntries(waited, unixNow()))) return;
        }
    }

    // False when the run cannot go on.
    bool checkEntries(const std::vector<JournalEntry>& due) {
        JournalCheck check;
        try {
            check = checkJournalEntries(bridge_, journal_, due, settleSeconds_, log_);
        } catch (const std::exception& error) {
            trap_.caught(work, {}, error);
            endsRun(error);
            return false;
        }
        outcome_.renumbered += check.renumbered;
        for (const JournalEntry& entry : check.lost) {
            // Overwritten by a write with the same number and moment: the
            // delivery has no sale now. Deliveries of earlier runs are
            // listed missing by the next one.
            const auto carried = carried_.find({entry.day, entry.deliveryId});
            if (carried == carried_.end()) continue;
            --outcome_.written;
            CarriedSale again = carried->second;
            if (!write(std::move(again))) return false;
        }
        return true;
    }

    bool endsRun(const std::exception& error) {
        if (dynamic_cast<const SalesTableBusy*>(&error) != nullptr) outcome_.busy = true;
        else if (!bridge_.isBroken(Link::Sales)) return false;
        outcome_.ended = true;
        return true;
    }

    Bridge& bridge_;
    CarryJournal& journal_;
    Settle& settle_;
    std::int64_t settleSeconds_;
    CarryLog& log_;
    ErrorTrap trap_;
    CarryOutcome outcome_;
    std::string lastVoucher_;
    Bridge::SaleObserver previousObserver_;
    std::map<std::pair<CalendarDay, std::int64_t>, CarriedSale> carried_;
};

}  // namespace

CarryOutcome carryDeliveries(Bridge& bridge, CarryJournal& journal, const std::vector<DeliveryRecord>& deliveries,
                             Settle& settle, std::int64_t settleSeconds, CarryLog& log) {
    CarryRun run(bridge, journal, settle, settleSeconds, log);
    return run.carry(deliveries);
}

}  // namespace vantrok::check
