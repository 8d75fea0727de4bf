#include <gtest/gtest.h>

#include <chrono>

#include "BridgeStationTest.h"
#include "db/ConnectionTexts.h"
#include "db/Transaction.h"
#include "import/ImportCycle.h"

namespace vantrok::testing {
namespace {

using Ids = std::vector<std::int64_t>;
using Kinds = std::vector<std::string>;

class FaultRecovery : public BridgeStationTest {
protected:
    // How the driver reports the link the station reset: SQL Server's drivers
    // with 08S01, FreeTDS with HY000 (and its dead flag).
    static std::string lostLink() { return vantrok::testing::onFreeTdsRoad() ? "SQLSTATE HY000" : "SQLSTATE 08S01"; }

    bool traced(std::size_t line, const std::string& start, const std::string& part) const {
        return line < trace.lines.size() && trace.lines[line].rfind(start, 0) == 0 &&
               trace.lines[line].find(part) != std::string::npos;
    }
    std::size_t descriptions() const {
        const Kinds kinds = salesStatementKinds();
        return static_cast<std::size_t>(std::count(kinds.begin(), kinds.end(), "describe"));
    }
};

TEST_F(FaultRecovery, ABadRowHoldsUpOnlyItselfAndGoesThroughOnceMended) {
    for (int id = 1; id <= 5; ++id) {
        sim::station::Delivery d = delivery(6, id, "2016-11-25 08:00:00");
        if (id == 3) d.pump = 2;
        station.addDelivery(d);
    }
    addOffline(6);
    station.setHoseFuel(2, 1, std::nullopt);

    EXPECT_FALSE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (Ids{1, 2, 4, 5, 6}));
    ASSERT_EQ(trace.lines.size(), 1u);
    EXPECT_TRUE(traced(0, "GET_VANTROK_DATA Delivery_ID 3: ", "Null")) << trace.lines[0];

    EXPECT_FALSE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (Ids{1, 2, 4, 5, 6}));
    EXPECT_EQ(trace.lines.size(), 2u);

    station.setHoseFuel(2, 1, "ULP");
    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (Ids{1, 2, 4, 5, 6, 3}));
    EXPECT_EQ(station.sales().back().at("VocNo"), "INV/C9/251116/6");
}

TEST_F(FaultRecovery, ADeliveryWithoutHoseFailsAfterTheInvoiceAndBeforeTheFuelLookup) {
    sim::station::Delivery orphan = delivery(6, 1, "2016-11-25 08:00:00");
    orphan.pump.reset();
    orphan.hose.reset();
    orphan.hoseId = 99;
    station.addDelivery(orphan);
    addLive(2);

    EXPECT_FALSE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (Ids{2}));
    EXPECT_EQ(salesStatementKinds(), (Kinds{"invoice", "describe", "invoice", "fuel", "procedure"}));
    ASSERT_EQ(trace.lines.size(), 1u);
    EXPECT_TRUE(traced(0, "GET_VANTROK_DATA Delivery_ID 1: ", "Pump_ID")) << trace.lines[0];
}

TEST_F(FaultRecovery, ARefusingProcedureSkipsEveryRowOfBothImportsUntilItAcceptsAgain) {
    addLive(1);
    addOffline(2);
    station.setFault("proc-fails", "on");
    EXPECT_FALSE(ImportCycle(bridge));
    EXPECT_TRUE(storedIds().empty());
    ASSERT_EQ(trace.lines.size(), 2u);
    EXPECT_TRUE(traced(0, "GET_VANTROK_DATA Delivery_ID 1: SQLSTATE ", "")) << trace.lines[0];
    EXPECT_TRUE(traced(1, "GET_OFFLINE_DATA Delivery_ID 2: SQLSTATE ", "")) << trace.lines[1];

    station.setFault("proc-fails", "off");
    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (Ids{1, 2}));
}

TEST_F(FaultRecovery, BrokenConnectionsEndTheTickAndTheNextTicksReopenThem) {
    addLive(1);
    EXPECT_TRUE(ImportCycle(bridge));

    addLive(3);
    addOffline(2);
    station.setFault("break-connections", "on");
    EXPECT_FALSE(ImportCycle(bridge));
    // The live selection found the ControllerConnection broken; no offline import ran.
    ASSERT_EQ(trace.lines.size(), 1u);
    EXPECT_TRUE(traced(0, "GET_VANTROK_DATA: " + lostLink(), "")) << trace.lines[0];
    EXPECT_TRUE(bridge.isBroken(Link::Controller));

    station.setFault("break-connections", "off");
    // The reopened ControllerConnection selects; the first write finds the SalesConnection broken too.
    EXPECT_FALSE(ImportCycle(bridge));
    ASSERT_EQ(trace.lines.size(), 2u);
    EXPECT_TRUE(traced(1, "GET_VANTROK_DATA Delivery_ID 3: " + lostLink(), "")) << trace.lines[1];
    EXPECT_FALSE(bridge.isBroken(Link::Controller));
    EXPECT_TRUE(bridge.isBroken(Link::Sales));

    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (Ids{1, 3, 2}));
    // The one command of the process writes on the reopened connection with the list it derived first.
    EXPECT_EQ(descriptions(), 1u);
    EXPECT_EQ(controllerSelections("14"), 2u);
}

TEST_F(FaultRecovery, KeepsTryingToReopenAtEveryTickWhileTheServerRefuses) {
    addLive(1);
    station.setFault("break-connections", "on");
    station.setFault("refuse-connections", "on");
    EXPECT_FALSE(ImportCycle(bridge));
    EXPECT_FALSE(ImportCycle(bridge));
    EXPECT_FALSE(ImportCycle(bridge));
    ASSERT_EQ(trace.lines.size(), 3u);
    EXPECT_TRUE(traced(1, "reopening ControllerConnection: SQLSTATE 08001", "")) << trace.lines[1];
    EXPECT_TRUE(traced(2, "reopening ControllerConnection: SQLSTATE 08001", "")) << trace.lines[2];
    EXPECT_TRUE(station.statements("enablerdb").empty());

    station.setFault("refuse-connections", "off");
    station.setFault("break-connections", "off");
    EXPECT_FALSE(ImportCycle(bridge));  // finds the SalesConnection broken at the first write
    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (Ids{1}));
}

// carry's lock in another session's open transaction holds the import's
// statements back; the command time-out (30 s in the program, 1 s here) ends
// the wait, which the program takes for a lost link: the next tick reopens
// and goes through once the lock is gone.
TEST_F(FaultRecovery, AStatementBlockedBehindAnotherSessionsLockTimesOutAndTheNextTickGoesThrough) {
    addLive(1);
    bridge.salesConnection.setTimeouts({db::Connection::loginTimeoutSeconds, 1});
    bridge.controllerConnection.setTimeouts({db::Connection::loginTimeoutSeconds, 1});
    db::Connection holder;
    holder.open(db::salesConnectionText(db::DbPassword));
    {
        db::Transaction carrying(holder);
        holder.execute("select count(*) from D17_DailySale with (tablockx, holdlock) where S_Date>='25-Nov-2016' "
                       "and S_Date<'26-Nov-2016'")
            .close();
        const auto started = std::chrono::steady_clock::now();
        EXPECT_FALSE(ImportCycle(bridge));
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(6)) << "a wait outlived its time-out";
        ASSERT_FALSE(trace.lines.empty());
        EXPECT_NE(trace.lines[0].find("SQLSTATE HYT00"), std::string::npos) << trace.lines[0];
        EXPECT_TRUE(bridge.isBroken(Link::Controller));
        EXPECT_TRUE(storedIds().empty());
    }
    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_FALSE(bridge.isBroken(Link::Controller));
    EXPECT_EQ(storedIds(), (Ids{1}));
}

}  // namespace
}  // namespace vantrok::testing
