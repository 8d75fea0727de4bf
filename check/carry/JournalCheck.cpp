#include "check/carry/JournalCheck.h"

#include <algorithm>
#include <map>

#include "check/carry/SalesLock.h"
#include "check/station/Statements.h"
#include "check/station/StationReadings.h"
#include "db/Transaction.h"
#include "import/DateText.h"
#include "import/InvoiceNumber.h"
#include "import/ValueError.h"

namespace vantrok::check {

namespace {

// Gives carry's sale the day's next free number, under the table lock so
// that no writer honouring it takes the same one meanwhile. The new number
// is in the journal before the commit and the old leaves it only after: an
// end between them leaves both, and the next check finds which one stands.
std::string renumber(Bridge& bridge, CarryJournal& journal, const JournalEntry& entry, std::int64_t settleSeconds) {
    const std::string next = bridge.onConnection(Link::Sales, [&] {
        db::Connection& sales = bridge.salesConnection;
        db::Transaction transaction(sales);
        lockSalesDay(sales, entry.day);
        std::string number = Generate_Invoice_No(sales, dateTimeText(midnightOf(entry.day)));
        if (number.empty() || number.find_first_of("'\r\n") != std::string::npos)
            throw ValueError("the invoice query gave no usable number: '" + number + "'");
        if (sales.executeUpdate(renumberText(number, entry.voucher, entry.deliveryId, entry.day, nextDay(entry.day))) !=
            1)
            throw ValueError("its daily sale " + entry.voucher + " was not found to renumber");
        journal.add({entry.day, entry.deliveryId, number, unixNow() + settleSeconds});
        transaction.commit();
        return number;
    });
    journal.remove(entry);
    return next;
}

}  // namespace

JournalCheck checkJournalEntries(Bridge& bridge, CarryJournal& journal, const std::vector<JournalEntry>& due,
                                 std::int64_t settleSeconds, CarryLog& log) {
    JournalCheck check;
    std::map<CalendarDay, std::vector<SaleRecord>> days;
    for (const JournalEntry& entry : due) {
        if (!days.contains(entry.day)) days[entry.day] = readDailySales(bridge, entry.day, nextDay(entry.day));
        const std::vector<SaleRecord>& sales = days[entry.day];
        const auto sameNumber = [&](const SaleRecord& s) { return s.voucher == entry.voucher; };
        const auto ownSale = [&](const SaleRecord& s) { return s.deliveryId == entry.deliveryId; };
        if (std::none_of(sales.begin(), sales.end(), ownSale)) {
            log.lost(entry.deliveryId, entry.voucher);
            journal.remove(entry);
            check.lost.push_back(entry);
        } else if (std::none_of(sales.begin(), sales.end(), [&](const SaleRecord& s) { return ownSale(s) && sameNumber(s); })) {
            // Its sale stands under another number, which an entry of its own checks.
            journal.remove(entry);
        } else if (std::count_if(sales.begin(), sales.end(), sameNumber) > 1) {
            const std::string next = renumber(bridge, journal, entry, settleSeconds);
            log.renumbered(entry.deliveryId, entry.voucher, next);
            ++check.renumbered;
            // The day's sales as they stand now, for the entries after it.
            days.erase(entry.day);
        } else {
            journal.remove(entry);
            ++check.settled;
        }
    }
    return check;
}

std::vector<JournalEntry> dueEntries(const std::vector<JournalEntry>& entries, std::int64_t now) {
    std::vector<JournalEntry> due;
    for (const JournalEntry& entry : entries)
        if (entry.checkAfter <= now) due.push_back(entry);
    return due;
}

}  // namespace vantrok::check
