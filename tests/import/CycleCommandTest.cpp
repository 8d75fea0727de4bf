#include <gtest/gtest.h>

#include <sstream>

#include "BridgeStationTest.h"
#include "tests/support/CommandRun.h"

namespace vantrok::testing {
namespace {

class CycleCommand : public StationTest {
protected:
    CommandRun run(const std::string& arguments) {
        return runCommand(std::string(VANTROK_CYCLE) + " " + arguments, station.dir() + "/cycle.err");
    }
    void addToday(int type, int id) { station.addDelivery(TestStation::delivery(type, id, sim::station::nowText())); }
};

TEST_F(CycleCommand, PrintsEachSaleItWroteAndExitsZero) {
    addToday(6, 1);
    addToday(14, 2);
    const CommandRun outcome = run("--import --backup");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    std::istringstream lines(outcome.out);
    std::string live, offline, more;
    std::getline(lines, live);
    std::getline(lines, offline);
    EXPECT_FALSE(std::getline(lines, more));
    EXPECT_EQ(live.rfind("live\tINV/C9/", 0), 0u) << live;
    EXPECT_NE(live.find("\tAdmin\t1\t1\t9\t4.3995\t1.459\t29.18\t0\t0\t\t20.000\t1\t1\t"), std::string::npos) << live;
    EXPECT_EQ(offline.rfind("offline\tINV/C9/", 0), 0u) << offline;
    EXPECT_NE(offline.find("\tAdmin\t1\t7\t9\t4.3995\t1\t29.18\t"), std::string::npos) << offline;
    EXPECT_EQ(station.statements("torvane").back(), "EXEC SYNX_TWO_DB_TO_BK1_BK2");
}

TEST_F(CycleCommand, ExitsOneAndPrintsTheErrorWhenATickCaughtOne) {
    sim::station::Delivery orphan = TestStation::delivery(6, 1, sim::station::nowText());
    orphan.pump.reset();
    orphan.hose.reset();
    orphan.hoseId = 99;
    station.addDelivery(orphan);
    addToday(6, 2);
    const CommandRun outcome = run("--import");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("GET_VANTROK_DATA Delivery_ID 1: Invalid use of Null: Pump_ID"), std::string::npos)
        << outcome.err;
    EXPECT_EQ(station.sales().size(), 1u);
}

TEST_F(CycleCommand, ExitsTwoWhenTheConnectionsCannotOpenOrTheArgumentsAreWrong) {
    station.setFault("refuse-connections", "on");
    CommandRun outcome = run("--import");
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_NE(outcome.err.find("08001"), std::string::npos) << outcome.err;

    for (const char* arguments : {"", "--run", "--run 0", "--run 5x", "--imports"}) {
        outcome = run(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << arguments;
        EXPECT_NE(outcome.err.find("usage: vantrok-cycle"), std::string::npos) << arguments;
    }
}

TEST_F(CycleCommand, RunsTheImportOnItsScheduleForTheGivenTime) {
    addToday(6, 1);
    const CommandRun outcome = run("--run 5");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(station.sales().size(), 1u);
    const auto selections = station.statements("enablerdb");
    EXPECT_EQ(selections.size(), 2u);  // one tick at 4 s: the live and the offline selection
}

}  // namespace
}  // namespace vantrok::testing
