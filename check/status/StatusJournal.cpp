#include "check/status/StatusJournal.h"

#include <set>

#include "check/Arguments.h"
#include "check/carry/CarryJournal.h"
#include "check/carry/JournalCheck.h"
#include "check/report/InvoiceSeries.h"
#include "db/ConnectionTexts.h"
#include "import/NumberText.h"

namespace vantrok::check {

namespace {

class WarningCarryLog final : public CarryLog {
public:
    explicit WarningCarryLog(std::vector<std::string>& warnings) : warnings_(warnings) {}
    void written(std::int64_t, const std::string&, ImportKind) override {}
    void waiting() override {}
    void renumbered(std::int64_t deliveryId, const std::string& from, const std::string& to) override {
        warnings_.push_back("carry's daily sale of Delivery_ID " + decimalText(deliveryId) + " renumbered from " +
                            from + " to " + to + ": another sale of its day took " + from);
    }
    void lost(std::int64_t deliveryId, const std::string& voucher) override {
        warnings_.push_back("carry's daily sale " + voucher + " of Delivery_ID " + decimalText(deliveryId) +
                            " is not in the sales: vantrok-check carry writes it again");
    }

private:
    std::vector<std::string>& warnings_;
};

void addRepeats(Bridge& bridge, const std::set<CalendarDay>& days, std::vector<std::string>& warnings) {
    for (const CalendarDay& day : days)
        for (const InvoiceDay& found : invoiceFindings(readDailySales(bridge, day, nextDay(day)))) {
            if (found.repeats.empty()) continue;
            std::string numbers;
            for (const auto& [number, times] : found.repeats)
                numbers += (numbers.empty() ? "" : ", ") + decimalText(number) + " used " + decimalText(times) + " times";
            warnings.push_back("invoice numbers of " + isoText(found.day) + " repeated (" + numbers + ")");
        }
}

}  // namespace

std::vector<std::string> checkCarryJournal(Bridge& bridge) {
    std::vector<std::string> warnings;
    try {
        CarryJournal journal(stationJournalFile(db::salesConnectionText(db::DbPassword),
                                                db::controllerConnectionText(db::DbPassword)));
        std::set<CalendarDay> days;
        const CalendarDay today = dayOf(bridge.clock().now());
        for (const JournalEntry& entry : journal.entries())
            if (entry.day != today) days.insert(entry.day);
        WarningCarryLog log(warnings);
        checkJournalEntries(bridge, journal, dueEntries(journal.entries(), unixNow()), Arguments{}.settleSeconds, log);
        addRepeats(bridge, days, warnings);
    } catch (const JournalInUse&) {
        // A carry runs on this PC: it checks the journal itself.
    } catch (const std::exception& error) {
        warnings.push_back(std::string("cannot check carry's journal: ") + error.what());
    }
    return warnings;
}

void addCarryJournalWarnings(Status& status, const std::vector<std::string>& warnings) {
    if (warnings.empty()) return;
    if (status.level == StatusLevel::Ok) status.level = StatusLevel::Warning;
    status.problems.insert(status.problems.end(), warnings.begin(), warnings.end());
}

}  // namespace vantrok::check
