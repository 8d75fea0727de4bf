#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <thread>
#include <string>
#include <utility>
#include <vector>

#include "BridgeStationTest.h"
#include "check/carry/Carry.h"
#include "check/carry/CarryJournal.h"
#include "check/report/Reconciliation.h"
#include "check/station/CivilSeconds.h"
#include "check/station/StationReadings.h"
#include "check/status/StatusCommand.h"
#include "db/ConnectionTexts.h"

namespace vantrok::testing {

// Carry's wait, short: the test plays what happens meanwhile.
class ScriptedSettle final : public check::Settle {
public:
    void wait() override {
        ++waits;
        std::this_thread::sleep_for(pause);
        if (meanwhile) std::exchange(meanwhile, nullptr)();
    }
    std::function<void()> meanwhile;  // once, at the first wait
    std::chrono::milliseconds pause{0};  // at every wait
    int waits = 0;
};

class RecordedCarryLog final : public check::CarryLog {
public:
    void written(std::int64_t id, const std::string& voucher, ImportKind) override {
        lines.push_back("wrote " + std::to_string(id) + " " + voucher);
    }
    void waiting() override {}
    void renumbered(std::int64_t id, const std::string& from, const std::string& to) override {
        lines.push_back("renumbered " + std::to_string(id) + " " + from + " " + to);
    }
    void lost(std::int64_t id, const std::string& voucher) override {
        lines.push_back("lost " + std::to_string(id) + " " + voucher);
    }
    std::vector<std::string> lines;
};

// A bridge on a fresh station, standing on 25-Nov-2016 17:42:30, with the
// reconciliation run in this process.
class CheckStationTest : public BridgeStationTest {
protected:
    check::Reconciliation reportOn(const std::string& from, const std::string& to) {
        const check::DayRange range{*check::parseIsoDay(from), *check::parseIsoDay(to)};
        check::NoProgress quiet;
        return check::reconcile(check::readStation(bridge, range, quiet), range);
    }

    check::CarryOutcome carry(const std::string& from, const std::string& to) {
        return check::carryDeliveries(bridge, journal(), reportOn(from, to).toCarry(), settle, 0, carryLog);
    }

    // The station's journal, as carry and status find it.
    check::CarryJournal& journal() {
        if (!journal_)
            journal_.emplace(check::stationJournalFile(db::salesConnectionText(db::DbPassword),
                                                       db::controllerConnectionText(db::DbPassword)));
        return *journal_;
    }

    // The status probe on a bridge of its own, as the command opens its own.
    // The server's clock shows the test's time, ahead of this PC's by serverAhead.
    check::Status probeWith(Bridge& fresh, std::optional<bool> running = std::nullopt,
                            std::int64_t serverAhead = 0) {
        const std::int64_t pcWall = check::civilSeconds(clock.now());
        station.setFault("clock", check::isoText(check::civilMoment(pcWall + serverAhead)).replace(10, 1, "T"));
        // This PC's Unix time for the test's local time, by its own zone.
        const check::ZoneRules& zone = check::pcZoneRules();
        const std::int64_t pcUtc = pcWall - (check::civilSeconds(zone.localAt(pcWall)) - pcWall);
        check::NotWatched unwatched;
        return check::probeStatus(fresh, {clock.now(), pcUtc, {}, running}, zone, unwatched);
    }

    ScriptedSettle settle;
    RecordedCarryLog carryLog;
    std::optional<check::CarryJournal> journal_;

    // A delivery on a pump's hose, cleared at its completion unless told otherwise.
    sim::station::Delivery on(int pump, int hose, int type, int id, const std::string& completed) {
        sim::station::Delivery d = TestStation::delivery(type, id, completed);
        d.pump = pump;
        d.hose = hose;
        return d;
    }
    sim::station::Delivery onHoseId(int hoseId, int type, int id, const std::string& completed) {
        sim::station::Delivery d = TestStation::delivery(type, id, completed);
        d.pump.reset();
        d.hose.reset();
        d.hoseId = hoseId;
        return d;
    }

    void addSale(const std::string& voucher, const std::string& date, const std::string& deliveryId) {
        station.sql("torvane", "INSERT INTO D17_DailySale (VocNo, S_Date, Delivery_ID) VALUES ('" + voucher + "', '" +
                                   date + "', " + deliveryId + ")");
    }

    // How many daily sales carry each Delivery_ID on each day ("2016-11-25").
    std::map<std::pair<std::int64_t, std::string>, int> salesPerDeliveryAndDay() const {
        std::map<std::pair<std::int64_t, std::string>, int> counts;
        for (const SaleRow& sale : station.sales()) {
            const auto& id = sale.at("Delivery_ID");
            if (id) ++counts[{std::stoll(*id), sale.at("S_Date")->substr(0, 10)}];
        }
        return counts;
    }
};

// Where each not-carried delivery stands: its state and reason codes.
inline std::map<std::int64_t, std::string> standing(const check::Reconciliation& report) {
    std::map<std::int64_t, std::string> found;
    for (const check::DeliveryFinding& f : report.notCarried) {
        std::string text = check::stateName(f.state);
        for (const check::Reason& r : f.reasons) text += " " + r.code;
        found[f.delivery.id] = text;
    }
    return found;
}

}  // namespace vantrok::testing
