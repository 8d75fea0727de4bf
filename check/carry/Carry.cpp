#include "check/carry/Carry.h"

#include <algorithm>
#include <deque>
#include <map>

#include "check/station/Statements.h"
#include "db/ResultSet.h"
#include "db/Transaction.h"
#include "import/DailySaleWrite.h"
#include "import/DateText.h"
#include "import/ErrorTrap.h"
#include "import/InvoiceNumber.h"
#include "import/RowWrite.h"
#include "import/ValueError.h"
#include "import/ValueText.h"

namespace vantrok::check {

namespace {

constexpr const char* work = "vantrok-check carry";
// A sale renumbered because of a write in flight could meet another; more
// rounds than that mean something else is wrong.
constexpr int checkRounds = 5;

struct CarriedSale {
    CalendarDay day;
    std::int64_t deliveryId = 0;
    db::DateTime completed;
    ImportKind kind = ImportKind::Live;
    db::Row row;
    std::string voucher;
};

std::int64_t deliveryIdOf(const db::Fields& row) {
    return std::stoll(valueText(row.field("Delivery_ID"), "Delivery_ID"));
}

class CarryRun {
public:
    CarryRun(Bridge& bridge, Settle& settle, CarryLog& log) : bridge_(bridge), settle_(settle), log_(log), trap_(bridge.trace()) {
        // Told of the voucher of each write for as long as the run lasts, the bridge's own observer as well.
        previousObserver_ = bridge_.onSaleWritten([this](ImportKind kind, const SaleValues& values) {
            lastVoucher_ = valueText(values[0], "VocNo");
            if (previousObserver_) previousObserver_(kind, values);
        });
    }
    ~CarryRun() { bridge_.onSaleWritten(std::move(previousObserver_)); }
    CarryRun(const CarryRun&) = delete;
    CarryRun& operator=(const CarryRun&) = delete;

    void writeDay(const CalendarDay& day, const std::map<std::int64_t, std::int64_t>& types) {
        for (db::Row& row : readDay(day, types)) {
            const std::int64_t id = deliveryIdOf(row);
            const ImportKind kind = types.at(id) == liveType ? ImportKind::Live : ImportKind::Offline;
            CarriedSale sale{day, id, valueDateTime(row.field("Completed_TS"), "Completed_TS"), kind, std::move(row), {}};
            if (!write(sale)) return;
        }
    }

    // Rounds of settle and check until no carried sale shares its number.
    void settleNumbers() {
        std::vector<CarriedSale*> open;
        for (CarriedSale& sale : carried_) open.push_back(&sale);
        for (int round = 0; round < checkRounds && !open.empty() && !outcome_.ended; ++round) {
            log_.waiting();
            settle_.wait();
            open = checkNumbers(open);
        }
        if (!open.empty() && !outcome_.ended) outcome_.unsettled = true;
    }

    CarryOutcome outcome() const { return outcome_; }
    bool ended() const { return outcome_.ended; }

private:
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
    // writer that honours locks takes a number between the two.
    bool write(CarriedSale& sale) {
        lastVoucher_.clear();
        const RowWrite result = isolateRowWrite(bridge_, trap_, sale.row, work, [&] {
            db::Transaction transaction(bridge_.salesConnection);
            bridge_.salesConnection.execute(salesLockText(sale.day, nextDay(sale.day))).close();
            WRITE_DAILY_SALE(bridge_, sale.row, sale.kind);
            transaction.commit();
        });
        switch (result) {
        case RowWrite::Written:
            sale.voucher = lastVoucher_;
            log_.written(sale.deliveryId, sale.voucher, sale.kind);
            ++outcome_.written;
            carried_.push_back(std::move(sale));
            return true;
        case RowWrite::Failed: ++outcome_.failed; return true;
        case RowWrite::ConnectionBroken: ++outcome_.failed; outcome_.ended = true; return false;
        }
        return false;
    }

    // The sales still to be checked after this round.
    std::vector<CarriedSale*> checkNumbers(const std::vector<CarriedSale*>& open) {
        std::map<CalendarDay, std::vector<SaleRecord>> days;
        std::vector<CarriedSale*> again;
        try {
            for (CarriedSale* sale : open)
                if (!days.contains(sale->day)) days[sale->day] = readDailySales(bridge_, sale->day, nextDay(sale->day));
        } catch (const std::exception& error) {
            trap_.caught(work, {}, error);
            outcome_.ended = true;
            return open;
        }
        for (CarriedSale* sale : open) {
            const std::vector<SaleRecord>& sales = days[sale->day];
            const auto sameNumber = [&](const SaleRecord& s) { return s.voucher == sale->voucher; };
            const bool present = std::any_of(sales.begin(), sales.end(), [&](const SaleRecord& s) {
                return sameNumber(s) && s.deliveryId == sale->deliveryId;
            });
            if (!present) {
                // A write with the same number and moment updated it in place.
                log_.lost(sale->deliveryId, sale->voucher);
                --outcome_.written;
                CarriedSale rewrite = std::move(*sale);
                sale->voucher.clear();
                if (!write(rewrite)) break;
                again.push_back(&carried_.back());
            } else if (std::count_if(sales.begin(), sales.end(), sameNumber) > 1) {
                if (!renumber(*sale)) break;
                again.push_back(sale);
            }
        }
        return again;
    }

    bool renumber(CarriedSale& sale) {
        const std::string from = sale.voucher;
        try {
            bridge_.onConnection(Link::Sales, [&] {
                db::Transaction transaction(bridge_.salesConnection);
                bridge_.salesConnection.execute(salesLockText(sale.day, nextDay(sale.day))).close();
                const std::string next = Generate_Invoice_No(bridge_.salesConnection, dateTimeText(sale.completed));
                if (next.empty() || next.find('\'') != std::string::npos)
                    throw ValueError("the invoice query gave no usable number: '" + next + "'");
                if (bridge_.salesConnection.executeUpdate(
                        renumberText(next, from, sale.deliveryId, sale.day, nextDay(sale.day))) != 1)
                    throw ValueError("its daily sale " + from + " was not found to renumber");
                transaction.commit();
                sale.voucher = next;
            });
        } catch (const std::exception& error) {
            trap_.caught(work, std::to_string(sale.deliveryId), error);
            if (bridge_.isBroken(Link::Sales)) outcome_.ended = true;
            else outcome_.unsettled = true;
            return false;
        }
        log_.renumbered(sale.deliveryId, from, sale.voucher);
        ++outcome_.renumbered;
        return true;
    }

    Bridge& bridge_;
    Settle& settle_;
    CarryLog& log_;
    ErrorTrap trap_;
    CarryOutcome outcome_;
    std::string lastVoucher_;
    Bridge::SaleObserver previousObserver_;
    // Stable addresses: the checks keep pointers while rewrites are added.
    std::deque<CarriedSale> carried_;
};

}  // namespace

CarryOutcome carryDeliveries(Bridge& bridge, const std::vector<DeliveryRecord>& deliveries, Settle& settle,
                             CarryLog& log) {
    // Each day's deliveries by Delivery_ID, with their type.
    std::map<CalendarDay, std::map<std::int64_t, std::int64_t>> days;
    for (const DeliveryRecord& d : deliveries) days[dayOf(d.completed)][d.id] = d.type;

    CarryRun run(bridge, settle, log);
    for (const auto& [day, types] : days) {
        run.writeDay(day, types);
        if (run.ended()) return run.outcome();
    }
    run.settleNumbers();
    return run.outcome();
}

}  // namespace vantrok::check
