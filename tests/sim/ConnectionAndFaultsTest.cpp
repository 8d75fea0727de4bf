#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "sim/engine/SaleHold.h"
#include "tests/sim/EngineTest.h"
#include "tests/sim/StatementTexts.h"

namespace vantrok::sim {
namespace {

using std::chrono::seconds;

class ConnectionAndFaultsTest : public EngineTest {
protected:
    SimError connectFailure(ConnectRequest request) {
        if (request.stationDir.empty()) request.stationDir = station.dir();
        return failureOf([&] { Session::connect(request); });
    }

    ReadThrough backup(Session& session, seconds timeout = seconds(30)) {
        return readThrough(session.execute(texts::backup, {}, timeout));
    }

    std::string count(const std::string& database) {
        return station.sql(database, "SELECT count(*) FROM D17_DailySale");
    }
};

TEST_F(ConnectionAndFaultsTest, LogsInOnlyAsSaToTheStationsDatabases) {
    EXPECT_EQ(connect("torvane")->database(), "torvane");
    EXPECT_EQ(Session::connect({station.dir(), "(local)", "SA", "qolvent4719ruk", "ENABLERDB"})->database(),
              "enablerdb");
    expectError(connectFailure({"", "(LOCAL)", "sa", "wrong", "torvane"}), "28000", 18456,
                "Login failed for user 'sa'.");
    expectError(connectFailure({"", "(LOCAL)", "sa", "QOLVENT4719RUK", "torvane"}), "28000", 18456,
                "Login failed for user 'sa'.");
    expectError(connectFailure({"", "(LOCAL)", "bob", "qolvent4719ruk", "torvane"}), "28000", 18456,
                "Login failed for user 'bob'.");
    expectError(connectFailure({"", "(LOCAL)", "sa", "qolvent4719ruk", "torvan"}), "42000", 4060,
                "Cannot open database \"torvan\" requested by the login. The login failed.");
    EXPECT_EQ(connectFailure({"", "OTHERHOST", "sa", "qolvent4719ruk", "torvane"}).sqlstate, "08001");
    EXPECT_EQ(connectFailure({station.dir() + "/missing", "(LOCAL)", "sa", "qolvent4719ruk", "torvane"}).sqlstate,
              "08001");
}

TEST_F(ConnectionAndFaultsTest, AnyOtherStatementIsASyntaxError) {
    auto sales = connect("torvane");
    expectError(failureOf([&] { query(*sales, "select 1"); }), "42000", 102, "Incorrect syntax near '1'.");
    // One blank too few in a known statement is enough.
    std::string text = texts::fuelType("3", "2");
    text.replace(text.find("from D10_Hose"), 4, "FROM");
    EXPECT_EQ(failureOf([&] { query(*sales, text); }).message, "Incorrect syntax near 'FROM'.");
    EXPECT_EQ(failureOf([&] { sales->execute("EXEC NO_SUCH_PROCEDURE", {}, seconds(30)); }).nativeError, 2812);
    EXPECT_EQ(query(*sales, "\n  " + texts::fuelType("3", "2") + " \r\n").rows.size(), 1u);
}

TEST_F(ConnectionAndFaultsTest, RefusedConnectionsFailUntilSwitchedOff) {
    auto open = connect("torvane");
    station.setFault("refuse-connections", "on");
    EXPECT_EQ(connectFailure({"", "(LOCAL)", "sa", "qolvent4719ruk", "torvane"}).sqlstate, "08001");
    EXPECT_NO_THROW(query(*open, texts::fuelType("1", "1")));  // open connections go on working
    station.setFault("refuse-connections", "off");
    EXPECT_NO_THROW(connect("torvane"));
}

TEST_F(ConnectionAndFaultsTest, BreakingFailsTheConnectionsOpenAtThatMomentForGood) {
    auto before = connect("torvane");
    auto controller = connect("enablerdb");
    station.setFault("break-connections", "on");
    auto after = connect("torvane");
    expectError(failureOf([&] { query(*before, texts::fuelType("1", "1")); }), "08S01", 0, "Communication link failure");
    EXPECT_EQ(failureOf([&] { controller->procedureColumns("X"); }).sqlstate, "08S01");
    EXPECT_NO_THROW(query(*after, texts::fuelType("1", "1")));
    station.setFault("break-connections", "off");
    EXPECT_EQ(failureOf([&] { query(*before, texts::fuelType("1", "1")); }).sqlstate, "08S01");
    // Switched on again, it breaks the connections opened since.
    station.setFault("break-connections", "on");
    EXPECT_EQ(failureOf([&] { query(*after, texts::fuelType("1", "1")); }).sqlstate, "08S01");
}

TEST_F(ConnectionAndFaultsTest, RefusedDailySalesRaiseAnErrorAndStoreNothing) {
    auto sales = connect("torvane");
    std::vector<ParamValue> values(24, ParamValue{"1", SqlType::VarChar});
    values[1] = {"2016-11-25 10:00:00", SqlType::DateTime};
    station.setFault("proc-fails", "on");
    SimError e = failureOf([&] { readThrough(sales->execute(texts::dailySaleCall(false), values, seconds(30))); });
    EXPECT_EQ(e.sqlstate, "42000");
    EXPECT_EQ(e.nativeError, 50000);
    EXPECT_TRUE(station.sales().empty());
    station.setFault("proc-fails", "off");
    readThrough(sales->execute(texts::dailySaleCall(false), values, seconds(30)));
    EXPECT_EQ(station.sales().size(), 1u);
}

// Like a procedure without SET NOCOUNT ON, the backup reports what it is
// about to copy and copies only once the client reads past that; a client
// that stops at the row set stops the procedure before its copy.
TEST_F(ConnectionAndFaultsTest, BackupCopiesOnlyWhenItsRowSetIsReadPast) {
    auto sales = connect("torvane");
    addSale("INV/C9/251116/1", "2016-11-25 10:00:00", 1);
    {
        Outcome outcome = sales->execute(texts::backup, {}, seconds(30));
        std::optional<StatementResult> first = outcome.next();
        ASSERT_TRUE(first && first->table);
        EXPECT_EQ(first->table->rows.front(), (Row{"D17_DailySale", "1"}));
        EXPECT_EQ(count("torvane_bk1"), "0\n");
    }
    EXPECT_EQ(count("torvane_bk1"), "0\n");
    EXPECT_EQ(station.statements("torvane").back(), "{cancelled before its end: " + std::string(texts::backup) + "}");

    ReadThrough read = backup(*sales);
    ASSERT_EQ(read.results.size(), 1u);
    EXPECT_EQ(count("torvane_bk1"), "1\n");
    EXPECT_EQ(station.statements("torvane").back(), texts::backup);
}

// A lenient station answers as the first simulator did: the copy at once, no rows.
TEST_F(ConnectionAndFaultsTest, LenientStationCopiesAtOnceWithoutRows) {
    testing::TestStation lenient(sim::station::Strictness::Lenient);
    auto sales = Session::connect({lenient.dir(), "(LOCAL)", "sa", "qolvent4719ruk", "torvane"});
    lenient.sql("torvane", "INSERT INTO D17_DailySale (VocNo, S_Date, Delivery_ID) VALUES ('INV/C9/251116/1', "
                           "'2016-11-25 10:00:00', 1)");
    Outcome outcome = sales->execute(texts::backup, {}, seconds(30));
    EXPECT_TRUE(outcome.finished());
    EXPECT_EQ(lenient.sql("torvane_bk2", "SELECT count(*) FROM D17_DailySale"), "1\n");
}

TEST_F(ConnectionAndFaultsTest, BackupCopiesTheSalesTablesToBothBackups) {
    auto sales = connect("torvane");
    addSale("INV/C9/251116/1", "2016-11-25 10:00:00", 1);
    addSale("INV/C9/251116/2", "2016-11-25 10:00:01", 2);
    backup(*sales);
    EXPECT_EQ(count("torvane_bk1"), "2\n");
    EXPECT_EQ(count("torvane_bk2"), "2\n");
    // Changes of other writers reach the backups at the next run, deletions included.
    station.sql("torvane", "DELETE FROM D17_DailySale WHERE Delivery_ID = 1");
    station.setHoseFuel(1, 1, "XYZ");
    backup(*sales);
    EXPECT_EQ(count("torvane_bk2"), "1\n");
    EXPECT_EQ(station.sql("torvane_bk1", "SELECT fueltypecode FROM D10_Hose WHERE pump_no = 1 AND hose_number = 1"),
              "XYZ\n");
    station.sql("torvane_bk1", "DELETE FROM D17_DailySale");
    backup(*sales);
    EXPECT_EQ(count("torvane_bk1"), "1\n");
    EXPECT_EQ(failureOf([&] { backup(*connect("torvane_bk1")); }).nativeError, 2812);
}

TEST_F(ConnectionAndFaultsTest, BackupFaultsFailOrSlowTheProcedure) {
    auto sales = connect("torvane");
    addSale("INV/C9/251116/1", "2016-11-25 10:00:00", 1);
    station.setFault("backup-fails", "on");
    EXPECT_EQ(failureOf([&] { backup(*sales); }).nativeError, 50000);
    EXPECT_EQ(count("torvane_bk1"), "0\n");
    station.setFault("backup-fails", "off");

    station.setFault("backup-seconds", "1");
    auto started = std::chrono::steady_clock::now();
    backup(*sales);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(990));
    EXPECT_EQ(count("torvane_bk1"), "1\n");

    station.setFault("backup-seconds", "3");
    started = std::chrono::steady_clock::now();
    expectError(failureOf([&] { backup(*sales, seconds(1)); }), "HYT00", 0, "Query timeout expired");
    auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(990));
    EXPECT_LT(waited, std::chrono::milliseconds(2500));
}

// The moment a crash loses most: the sale stored, its client not yet told.
// The hold announces itself with the id of the process that holds it.
TEST_F(ConnectionAndFaultsTest, HeldDailySaleIsStoredAndAnnouncedUntilSwitchedOff) {
    auto sales = connect("torvane");
    std::vector<ParamValue> values(24, ParamValue{"1", SqlType::VarChar});
    values[1] = {"2016-11-25 10:00:00", SqlType::DateTime};
    readThrough(sales->execute(texts::dailySaleCall(false), values, seconds(30)));
    EXPECT_FALSE(std::filesystem::exists(saleHoldFile(station.dir()))) << "announced without the switch";

    station.setFault("hold-after-sale", "on");
    values[0] = {"INV/C9/251116/2", SqlType::VarChar};
    std::atomic<bool> told{false};
    std::thread client([&] {
        readThrough(sales->execute(texts::dailySaleCall(false), values, seconds(30)));
        told = true;
    });
    const auto until = std::chrono::steady_clock::now() + seconds(10);
    while (!std::filesystem::exists(saleHoldFile(station.dir())) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::string holder;
    std::ifstream(saleHoldFile(station.dir())) >> holder;
    EXPECT_EQ(holder, std::to_string(::getpid()));
    EXPECT_EQ(station.sales().size(), 2u) << "the held sale is stored";
    EXPECT_FALSE(told);
    // Only the reply waits: the insert's table lock is released, so another
    // connection takes the lock exclusively at once.
    auto other = connect("torvane");
    const std::string dayLock = "select count(*) from D17_DailySale with (tablockx, holdlock) "
                                "where S_Date>='25-Nov-2016' and S_Date<'26-Nov-2016'";
    EXPECT_NO_THROW(readThrough(other->execute(dayLock, {}, seconds(2))));

    station.setFault("hold-after-sale", "off");
    client.join();
    EXPECT_TRUE(told);
    EXPECT_FALSE(std::filesystem::exists(saleHoldFile(station.dir())));
}

TEST_F(ConnectionAndFaultsTest, LogsEveryStatementWithItsDatabase) {
    auto sales = connect("torvane");
    auto controller = connect("enablerdb");
    query(*sales, texts::invoice("25-Nov-2016"));
    query(*controller, texts::live("11", "2016"));
    sales->procedureColumns("INS_UPD_D17_DailySale1");
    failureOf([&] { query(*sales, "select\t1\nfrom x"); });
    failureOf([&] { query(*sales, "\\x\r\n\\\\t\t"); });  // escapes at either end and side by side
    station.setFault("break-connections", "on");
    failureOf([&] { query(*sales, texts::fuelType("1", "1")); });  // never reached the server
    EXPECT_EQ(station.statementLog(),
              (std::vector<LogEntry>{{"torvane", texts::invoice("25-Nov-2016")},
                                     {"enablerdb", texts::live("11", "2016")},
                                     {"torvane", "{procedure columns: INS_UPD_D17_DailySale1}"},
                                     {"torvane", "select\t1\nfrom x"},
                                     {"torvane", "\\x\r\n\\\\t\t"}}));
}

}  // namespace
}  // namespace vantrok::sim
