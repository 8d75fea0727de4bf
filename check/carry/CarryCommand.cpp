#include "check/carry/CarryCommand.h"

#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "check/Console.h"
#include "check/carry/Carry.h"
#include "check/carry/CarryJournal.h"
#include "check/carry/JournalCheck.h"
#include "check/carry/SnapshotReads.h"
#include "db/ConnectionTexts.h"
#include "check/report/ReportFormats.h"
#include "check/report/ReportCommand.h"

namespace vantrok::check {

namespace {

bool confirmed(std::size_t count) {
    print("Write " + std::to_string(count) + (count == 1 ? " daily sale" : " daily sales") + "? [y/N] ");
    char answer[16] = {};
    if (!std::fgets(answer, sizeof answer, stdin)) return false;
    const std::string text(answer);
    return text == "y\n" || text == "Y\n" || text == "yes\n" || text == "y" || text == "yes";
}

using DeliveryKey = std::pair<std::int64_t, CalendarDay>;

std::set<DeliveryKey> keysOf(const std::vector<DeliveryRecord>& deliveries) {
    std::set<DeliveryKey> keys;
    for (const DeliveryRecord& d : deliveries) keys.insert({d.id, dayOf(d.completed)});
    return keys;
}

class SleepingSettle final : public Settle {
public:
    explicit SleepingSettle(int seconds) : seconds_(seconds) {}
    void wait() override { std::this_thread::sleep_for(std::chrono::seconds(seconds_)); }

private:
    int seconds_;
};

class PrintedCarryLog final : public CarryLog {
public:
    explicit PrintedCarryLog(int settleSeconds) : settleSeconds_(settleSeconds) {}
    void written(std::int64_t deliveryId, const std::string& voucher, ImportKind kind) override {
        print("wrote Delivery_ID " + std::to_string(deliveryId) + " as " + voucher +
              (kind == ImportKind::Live ? " (live)\n" : " (offline)\n"));
    }
    void waiting() override {
        print("Checking the invoice numbers in " + std::to_string(settleSeconds_) +
              " s, once VANTROK's writes in flight have landed...\n");
    }
    void renumbered(std::int64_t deliveryId, const std::string& from, const std::string& to) override {
        print("renumbered Delivery_ID " + std::to_string(deliveryId) + " from " + from + " to " + to +
              ": another daily sale of its day took " + from + " meanwhile\n");
    }
    void lost(std::int64_t deliveryId, const std::string& voucher) override {
        print("Delivery_ID " + std::to_string(deliveryId) + ": its daily sale " + voucher +
              " was overwritten by another write; writing it again\n");
    }

private:
    int settleSeconds_;
};

// What the journal holds from earlier runs whose settle has passed, checked
// before anything else: its deliveries whose sales never landed are then
// listed missing again. False when that check could not be done.
bool checkEarlierRuns(Bridge& bridge, CarryJournal& journal, int settleSeconds, CarryLog& log) {
    const std::vector<JournalEntry> due = dueEntries(journal.entries(), unixNow());
    if (due.empty()) return true;
    print("Checking the invoice numbers of " + std::to_string(due.size()) +
          (due.size() == 1 ? " daily sale" : " daily sales") + " an earlier carry left unchecked...\n");
    try {
        checkJournalEntries(bridge, journal, due, settleSeconds, log);
        return true;
    } catch (const std::exception& error) {
        print(std::string("Cannot check them: ") + error.what() + ".\n");
        return false;
    }
}

std::string outcomeText(const CarryOutcome& outcome, const CarryJournal& journal) {
    std::string text = "Written: " + std::to_string(outcome.written) + "; renumbered: " +
                       std::to_string(outcome.renumbered) + "; failed: " + std::to_string(outcome.failed);
    if (outcome.busy) text += "; the sales table is busy: try again";
    else if (outcome.ended) text += "; ended early, the rest not tried";
    if (outcome.unchecked > 0)
        text += "; " + std::to_string(outcome.unchecked) +
                (outcome.unchecked == 1 ? " daily sale" : " daily sales") + " still to check, kept in " +
                journal.file().string() + " for the next carry or status";
    return text + ".\n";
}

}  // namespace

int runCarry(Bridge& bridge, const Arguments& arguments) {
    CarryJournal journal(stationJournalFile(db::salesConnectionText(db::DbPassword),
                                            db::controllerConnectionText(db::DbPassword)));
    PrintedCarryLog log(arguments.settleSeconds);
    if (!arguments.dryRun && !checkEarlierRuns(bridge, journal, arguments.settleSeconds, log)) return 1;
    const Reconciliation found = reconcileRange(bridge, arguments.range);
    std::vector<DeliveryRecord> deliveries = found.toCarry();
    if (deliveries.empty() && journal.entries().empty()) {
        print("Nothing to carry: no delivery of the range is missing.\n");
        return 0;
    }
    if (!deliveries.empty()) {
        print("To carry, one daily sale each:\n");
        for (const DeliveryFinding& finding : found.notCarried)
            if (finding.state == DeliveryState::Missing) print(deliveryText(finding));
    }
    if (arguments.dryRun) return 1;
    if (!deliveries.empty() && !arguments.yes) {
        if (!confirmed(deliveries.size())) {
            print("Nothing written.\n");
            return 1;
        }
        // Time has passed: keep only what is still missing now.
        const std::set<DeliveryKey> listed = keysOf(deliveries);
        std::vector<DeliveryRecord> still;
        for (const DeliveryRecord& d : reconcileRange(bridge, arguments.range).toCarry())
            if (listed.contains({d.id, dayOf(d.completed)})) still.push_back(d);
        deliveries = std::move(still);
    }
    if (salesReadCommittedSnapshot(bridge))
        print("torvane reads committed snapshots (READ_COMMITTED_SNAPSHOT): VANTROK's invoice query does not wait "
              "for carry's table lock, so its numbers meet carry's more often. Each of carry's is checked after the "
              "settle and moved on when shared.\n");
    SleepingSettle settle(arguments.settleSeconds);
    const CarryOutcome outcome = carryDeliveries(bridge, journal, deliveries, settle, arguments.settleSeconds, log);
    print(outcomeText(outcome, journal));
    return outcome.clean() ? 0 : 1;
}

}  // namespace vantrok::check
