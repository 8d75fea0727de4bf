#include <gtest/gtest.h>

#include <chrono>

#include "backup/BackupTick.h"
#include "import/ImportCycle.h"
#include "tests/import/BridgeStationTest.h"

namespace vantrok::testing {
namespace {

const std::string backupStatement = "EXEC SYNX_TWO_DB_TO_BK1_BK2";

class BackupTickTest : public BridgeStationTest {
protected:
    std::string backupSales(const std::string& backup) { return station.sql(backup, "SELECT count(*) FROM D17_DailySale"); }
};

TEST_F(BackupTickTest, RunsTheProcedureOnceEachTickAndBringsTheBackupsUpToDate) {
    addLive(1);
    addOffline(2);
    ASSERT_TRUE(ImportCycle(bridge));

    EXPECT_TRUE(BackupTick(bridge));
    EXPECT_TRUE(BackupTick(bridge));
    const auto sales = station.statements("torvane");
    EXPECT_EQ(std::count(sales.begin(), sales.end(), backupStatement), 2);
    EXPECT_EQ(sales.back(), backupStatement);
    EXPECT_EQ(station.statements("enablerdb").size(), 2u);
    EXPECT_EQ(backupSales("torvane_bk1"), "2\n");
    EXPECT_EQ(backupSales("torvane_bk2"), "2\n");
    EXPECT_TRUE(trace.lines.empty());
}

TEST_F(BackupTickTest, AFailingProcedureFailsQuietlyAndTheImportGoesOn) {
    station.setFault("backup-fails", "on");
    EXPECT_FALSE(BackupTick(bridge));
    ASSERT_EQ(trace.lines.size(), 1u);
    EXPECT_EQ(trace.lines[0].rfind("SYNX_TWO_DB: SQLSTATE ", 0), 0u) << trace.lines[0];
    EXPECT_FALSE(bridge.isBroken(Link::Sales));

    addLive(1);
    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (std::vector<std::int64_t>{1}));
}

TEST_F(BackupTickTest, ReopensTheSalesConnectionTheImportFoundBroken) {
    addLive(1);
    station.setFault("break-connections", "on");
    EXPECT_FALSE(BackupTick(bridge));
    EXPECT_TRUE(bridge.isBroken(Link::Sales));
    station.setFault("break-connections", "off");

    EXPECT_TRUE(BackupTick(bridge));
    EXPECT_FALSE(bridge.isBroken(Link::Sales));
    const auto sales = station.statements("torvane");
    EXPECT_EQ(sales, std::vector<std::string>{backupStatement});

    // The controller was broken too but no tick has used it yet.
    EXPECT_FALSE(ImportCycle(bridge));
    EXPECT_TRUE(ImportCycle(bridge));
    EXPECT_EQ(storedIds(), (std::vector<std::int64_t>{1}));
}

// The command time-out (30 s in the program, 1 s here) cancels a backup that
// runs too long, on the server as well: nothing is copied. The program takes
// a time-out for a lost link, so the next tick reopens and copies.
TEST_F(BackupTickTest, ABackupPastItsTimeOutIsCancelledAndTheNextTickCopies) {
    addLive(1);
    ASSERT_TRUE(ImportCycle(bridge));
    bridge.salesConnection.setTimeouts({db::Connection::loginTimeoutSeconds, 1});
    station.setFault("backup-seconds", "6");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(BackupTick(bridge));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4)) << "the time-out did not end the wait";
    ASSERT_EQ(trace.lines.size(), 1u);
    EXPECT_NE(trace.lines[0].find("SQLSTATE HYT00"), std::string::npos) << trace.lines[0];
    EXPECT_TRUE(bridge.isBroken(Link::Sales));
    EXPECT_EQ(backupSales("torvane_bk1"), "0\n");

    station.setFault("backup-seconds", "0");
    EXPECT_TRUE(BackupTick(bridge));
    EXPECT_FALSE(bridge.isBroken(Link::Sales));
    EXPECT_EQ(backupSales("torvane_bk1"), "1\n");
    EXPECT_EQ(trace.lines.size(), 1u);
}

}  // namespace
}  // namespace vantrok::testing
