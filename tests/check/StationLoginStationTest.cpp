#include <gtest/gtest.h>

#include "CheckStationTest.h"
#include "backup/BackupTick.h"
#include "check/status/StatusCommand.h"
#include "check/status/StatusFormats.h"
#include "db/DatabaseError.h"
#include "fakes/FakeLoginVault.h"
#include "import/ImportCycle.h"
#include "sim/engine/Logins.h"

namespace vantrok::testing {
namespace {

// What ODBC's rules must brace: a ';' and a '{'. (A '}' travels doubled,
// which FreeTDS under unixODBC takes literally: see docs/station-simulator.md.)
const std::string password = "Pw;{x=1";

// VANTROK and vantrok-check on a station login with exactly the script's rights.
class StationLoginStation : public CheckStationTest {
protected:
    void SetUp() override {
        CheckStationTest::SetUp();
        logInAs(sim::stationGrants());
    }

    void logInAs(const std::vector<sim::Grant>& grants) {
        sim::addLogin(station.dir(), "pos", password, grants);
        store.login = db::StationLogin{"pos", password};
        bridge.useLoginStore(store);
        bridge.openConnections();
    }

    static std::vector<sim::Grant> stationGrantsWithout(sim::Permission permission, const std::string& object) {
        std::vector<sim::Grant> grants = sim::stationGrants();
        std::erase_if(grants, [&](const sim::Grant& g) { return g.permission == permission && g.object == object; });
        return grants;
    }

    std::string traced() const {
        std::string all;
        for (const std::string& line : trace.lines) all += line + "\n";
        return all;
    }

    void TearDown() override {
        std::string everything = traced();
        for (const std::string& text : station.statements("torvane")) everything += text;
        for (const std::string& text : station.statements("enablerdb")) everything += text;
        EXPECT_EQ(everything.find(password), std::string::npos) << "the password was traced or logged";
    }

    FakeLoginVault store;
};

TEST_F(StationLoginStation, ImportsBacksUpAndReconnectsUnderIt) {
    addLive(1);
    addOffline(2);
    ASSERT_TRUE(ImportCycle(bridge)) << traced();
    EXPECT_TRUE(BackupTick(bridge)) << traced();
    EXPECT_EQ(station.sql("torvane_bk1", "SELECT count(*) FROM D17_DailySale"), "2\n");

    station.setFault("break-connections", "on");
    addLive(3, "2016-11-25 10:00:00");
    EXPECT_FALSE(ImportCycle(bridge));
    station.setFault("break-connections", "off");
    for (int tick = 0; tick < 3 && storedIds().size() < 3; ++tick) ImportCycle(bridge);
    EXPECT_EQ(storedIds(), (std::vector<std::int64_t>{1, 2, 3}));
    EXPECT_GE(store.loads, 3);  // asked again at the reopen
}

// Carry takes the table lock and renumbers a sale another write took the number of.
TEST_F(StationLoginStation, CarryAndStatusWorkUnderIt) {
    station.addDelivery(on(1, 1, 14, 7, "2016-11-24 10:07:00"));
    settle.meanwhile = [this] { addSale("INV/C9/241116/1", "2016-11-24 09:00:00", "900"); };
    const check::CarryOutcome outcome = carry("2016-11-24", "2016-11-24");
    EXPECT_TRUE(outcome.clean()) << traced();
    EXPECT_EQ(outcome.renumbered, 1);
    EXPECT_EQ(storedIds(), (std::vector<std::int64_t>{7, 900}));

    Bridge fresh{clock, trace};
    fresh.useLoginStore(store);
    const check::Status status = probeWith(fresh, true);
    EXPECT_EQ(status.level, check::StatusLevel::Ok) << check::statusLine(status);
}

TEST_F(StationLoginStation, AMissingRightEndsAsSqlServersErrorThroughTheUsualHandling) {
    logInAs(stationGrantsWithout(sim::Permission::Execute, "SYNX_TWO_DB_TO_BK1_BK2"));
    EXPECT_FALSE(BackupTick(bridge));
    EXPECT_NE(traced().find("The EXECUTE permission was denied on the object 'SYNX_TWO_DB_TO_BK1_BK2', database "
                            "'torvane', schema 'dbo'."),
              std::string::npos)
        << traced();

    logInAs(stationGrantsWithout(sim::Permission::Select, "D17_DailySale"));
    addLive(1);
    EXPECT_FALSE(ImportCycle(bridge));
    EXPECT_NE(traced().find("The SELECT permission was denied on the object 'D17_DailySale'"), std::string::npos)
        << traced();

    // The server hides a procedure the login may not run: its description is
    // empty, so the call fails on its first parameter, as with no procedure.
    logInAs(stationGrantsWithout(sim::Permission::Execute, "INS_UPD_D17_DailySale1"));
    trace.lines.clear();
    EXPECT_FALSE(ImportCycle(bridge));
    EXPECT_NE(traced().find("07009 Item cannot be found in the collection"), std::string::npos) << traced();
    EXPECT_TRUE(storedIds().empty());
}

TEST_F(StationLoginStation, AnUnreadableEntryIsAClearErrorAndNeverSa) {
    store.unreadable = true;
    Bridge fresh{clock, trace};
    fresh.useLoginStore(store);
    const std::size_t statementsBefore = station.statementLog().size();
    try {
        fresh.openConnections();
        ADD_FAILURE() << "opened without a usable login";
    } catch (const db::DatabaseError& error) {
        EXPECT_EQ(error.primary()->sqlstate, "28000");
        EXPECT_NE(std::string(error.what()).find("cannot be used (the entry was changed after it was stored)"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(fresh.salesConnection.isOpen());
    EXPECT_FALSE(fresh.controllerConnection.isOpen());
    EXPECT_EQ(station.statementLog().size(), statementsBefore);
    const check::Status status = probeWith(fresh, true);
    EXPECT_EQ(status.level, check::StatusLevel::Critical);
}

}  // namespace
}  // namespace vantrok::testing
