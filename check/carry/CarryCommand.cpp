#include "check/carry/CarryCommand.h"

#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "check/Console.h"
#include "check/carry/Carry.h"
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

}  // namespace

int runCarry(Bridge& bridge, const Arguments& arguments) {
    const Reconciliation found = reconcileRange(bridge, arguments.range);
    std::vector<DeliveryRecord> deliveries = found.toCarry();
    if (deliveries.empty()) {
        print("Nothing to carry: no delivery of the range is missing.\n");
        return 0;
    }
    print("To carry, one daily sale each:\n");
    for (const DeliveryFinding& finding : found.notCarried)
        if (finding.state == DeliveryState::Missing) print(deliveryText(finding));
    if (arguments.dryRun) return 1;
    if (!arguments.yes) {
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
    SleepingSettle settle(arguments.settleSeconds);
    PrintedCarryLog log(arguments.settleSeconds);
    const CarryOutcome outcome = carryDeliveries(bridge, deliveries, settle, log);
    print("Written: " + std::to_string(outcome.written) + "; renumbered: " + std::to_string(outcome.renumbered) +
          "; failed: " + std::to_string(outcome.failed) + (outcome.ended ? "; ended early, the rest not tried" : "") +
          (outcome.unsettled ? "; an invoice number is still shared, see above" : "") + ".\n");
    return outcome.clean() ? 0 : 1;
}

}  // namespace vantrok::check
