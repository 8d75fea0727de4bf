#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "ErrorState.h"
#include "HandleCount.h"
#include "db/Connection.h"
#include "db/ConnectionTexts.h"
#include "db/StoredProcedure.h"
#include "db/Transaction.h"
#include "import/InvoiceNumber.h"
#include "import/SelectionTexts.h"
#include "sim/engine/StatementLog.h"
#include "tests/support/StationTest.h"

using namespace vantrok::db;
using vantrok::db::DbPassword;
using vantrok::test::liveHandles;
using vantrok::test::stateOf;

namespace {

class StationDataAccess : public vantrok::testing::StationTest {
protected:
    void SetUp() override {
        StationTest::SetUp();
        sales.open(salesConnectionText(DbPassword));
    }

    // Fills all 24 positions of a daily-sale write, mixing every kind of value.
    static void fillSale(StoredProcedure& p, std::int64_t deliveryId) {
        const Value values[] = {std::string("INV/C9/251116/4"), DateTime{2016, 11, 25, 17, 42, 30, 0}, std::string(),
                                std::string("3"), std::int64_t{3}, std::string("Admin"), std::string("1"),
                                std::string("7"), std::string("9"), std::string("10.0000"), std::int64_t{2},
                                Decimal::parse("45.46"), std::string("0"), std::string("0"), std::string(),
                                Decimal::parse("45.460"), deliveryId, std::int64_t{2}, Decimal::parse("1000.500"),
                                Decimal::parse("1459.70"), std::string("0"), 0.0, std::string("0"), Null{}};
        for (std::size_t i = 0; i < std::size(values); ++i) p.setParameter(i + 1, values[i]);
    }

    Connection sales;
};

TEST_F(StationDataAccess, ReadsDecimalsDigitForDigitWithTheirTypes) {
    vantrok::sim::station::Delivery d = vantrok::testing::TestStation::delivery(14, 9, "2016-11-25 17:42:30.997");
    d.volume = "45.460";
    d.price = "0.500";
    d.value = "22.73";
    d.uncleared = true;
    d.meterVolume = "1000.500";
    d.meterValue = "1459.70";
    d.meterGiven = true;
    station.addDelivery(d);

    Connection controller;
    controller.open(controllerConnectionText(DbPassword));
    ResultSet rows = controller.execute(vantrok::offlineSelectionText(DateTime{2016, 11, 25, 12, 0, 0, 0}));
    ASSERT_FALSE(rows.eof());
    const std::pair<const char*, const char*> decimals[] = {{"Delivery_Volume", "45.460"},
                                                            {"Del_Sell_Price", "0.500"},
                                                            {"Delivery_Value", "22.73"},
                                                            {"hose_meter_volume", "1000.500"},
                                                            {"HOSE_METER_VALUE", "1459.70"}};
    for (const auto& [column, text] : decimals) {
        const auto* value = std::get_if<Decimal>(&rows.field(column));
        ASSERT_NE(value, nullptr) << column;
        EXPECT_EQ(value->toString(), text) << column;
    }
    EXPECT_EQ(rows.field("Completed_TS"), Value(DateTime{2016, 11, 25, 17, 42, 30, 997000000}));
    EXPECT_TRUE(isNull(rows.field("Cleared_Date_Time")));
    EXPECT_EQ(rows.field("Delivery_ID"), Value(std::int64_t{9}));
    EXPECT_EQ(rows.field("S_Hose_ID"), Value(std::int64_t{1}));
    rows.moveNext();
    EXPECT_TRUE(rows.eof());
}

TEST_F(StationDataAccess, ServerFailuresCarryTheirStatesAndABrokenLinkCanBeReopened) {
    Connection c;
    try {
        c.open("driver=sql server;uid=sa;password=wrong;server=(LOCAL);database=torvane");
        FAIL() << "a wrong login worked";
    } catch (const DatabaseError& e) {
        // SQL Server's error 18456 either way; FreeTDS gives it the state 42000.
        EXPECT_EQ(e.primary()->sqlstate, vantrok::testing::onFreeTdsRoad() ? "42000" : "28000") << e.what();
        EXPECT_EQ(e.primary()->nativeError, 18456) << e.what();
    }

    station.setFault("break-connections", "on");
    try {
        sales.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2");
        FAIL() << "a broken connection worked";
    } catch (const DatabaseError& e) {
        // FreeTDS reports a reset link as HY000 and tells it by the connection's dead flag.
        if (vantrok::testing::onFreeTdsRoad()) EXPECT_TRUE(sales.isDead()) << e.what();
        else EXPECT_TRUE(e.hasState("08")) << e.what();
    }
    station.setFault("break-connections", "off");
    sales.open(sales.connectionText());
    EXPECT_NO_THROW(sales.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2"));
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 1);  // the broken connection's went with it
    sales.close();
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 0);
}

TEST_F(StationDataAccess, TheProcedureCommandTakesItsPositionsFromTheServer) {
    StoredProcedure p("INS_UPD_D17_DailySale1");
    p.setConnection(sales);
    const auto& list = p.parameters();
    ASSERT_EQ(list.size(), 25u);
    EXPECT_EQ(list[0].columnType, SQL_RETURN_VALUE);
    for (std::size_t i = 1; i < list.size(); ++i) EXPECT_EQ(list[i].columnType, SQL_PARAM_INPUT) << i;
    EXPECT_EQ(list[1].name, "@VocNo");
    EXPECT_EQ(list[2].sqlType, SQL_TYPE_TIMESTAMP);
    EXPECT_EQ(list[5].sqlType, SQL_INTEGER);
    EXPECT_EQ(list[10].sqlType, SQL_DECIMAL);
    EXPECT_EQ(list[10].size, 18u);
    EXPECT_EQ(list[10].decimalDigits, 4);
    EXPECT_EQ(stateOf([&] { p.setParameter(25, std::string("x")); }), "07009");
}

TEST_F(StationDataAccess, AWriteStoresOneDailySaleWithEveryValueConverted) {
    StoredProcedure p("INS_UPD_D17_DailySale1");
    p.setConnection(sales);
    fillSale(p, 4242);
    p.execute();

    const auto sales = station.sales();
    ASSERT_EQ(sales.size(), 1u);
    std::map<std::size_t, std::optional<std::string>> stored;
    for (std::size_t i = 1; i <= 24; ++i) stored[i] = sales[0].at(p.parameters()[i].name.substr(1));
    EXPECT_EQ(stored[1], "INV/C9/251116/4");
    EXPECT_EQ(stored[2].value_or("").substr(0, 19), "2016-11-25 17:42:30");
    EXPECT_EQ(stored[3], "");
    EXPECT_EQ(stored[5], "3");
    EXPECT_EQ(stored[10], "10.0000");  // text into decimal(18,4)
    EXPECT_EQ(stored[11], "2.000");    // integer into decimal(18,3)
    EXPECT_EQ(stored[12], "45.46");
    EXPECT_EQ(stored[16], "45.460");
    EXPECT_EQ(stored[17], "4242");
    EXPECT_EQ(stored[19], "1000.500");
    EXPECT_EQ(stored[22], "0");  // double into int
    EXPECT_EQ(stored[24], std::nullopt);
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 1);  // the command's own
}

TEST_F(StationDataAccess, EachCallSendsItsOwnValuesWhateverTheOneBeforeSent) {
    StoredProcedure p("INS_UPD_D17_DailySale1");
    p.setConnection(sales);
    fillSale(p, 1);
    p.setParameter(15, std::string("short"));
    p.execute();
    // Each call its own voucher, so each is a sale of its own.
    p.setParameter(1, std::string("INV/C9/251116/5"));
    p.setParameter(15, std::string(40, 'x'));  // outgrows the text it replaces
    p.setParameter(17, std::string("2"));      // text where an integer was
    p.execute();
    p.setParameter(1, std::string("INV/C9/251116/6"));
    p.setParameter(15, Null{});
    p.setParameter(17, std::int64_t{3});
    p.execute();
    p.setParameter(1, std::string("INV/C9/251116/7"));
    p.setParameter(15, std::string("again"));
    p.setParameter(17, Null{});
    p.execute();

    const auto stored = station.sales();
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[0].at("Remarks"), "short");
    EXPECT_EQ(stored[1].at("Remarks"), std::string(40, 'x'));
    EXPECT_EQ(stored[1].at("Delivery_ID"), "2");
    EXPECT_EQ(stored[2].at("Remarks"), std::nullopt);
    EXPECT_EQ(stored[2].at("Delivery_ID"), "3");
    EXPECT_EQ(stored[3].at("Remarks"), "again");
    EXPECT_EQ(stored[3].at("Delivery_ID"), std::nullopt);
}

TEST_F(StationDataAccess, TheParameterListIsDerivedOnceAcrossReopensAndConnections) {
    StoredProcedure p("INS_UPD_D17_DailySale1");
    p.setConnection(sales);
    fillSale(p, 1);
    p.execute();

    sales.open(sales.connectionText());
    p.setParameter(1, std::string("INV/C9/251116/5"));
    p.setParameter(17, std::int64_t{2});
    p.execute();

    Connection other;
    other.open(salesConnectionText(DbPassword));
    p.setConnection(other);
    p.setParameter(1, std::string("INV/C9/251116/6"));
    p.setParameter(17, std::int64_t{3});
    p.execute();

    EXPECT_EQ(station.sales().size(), 3u);
    const auto log = station.statements("torvane");
    EXPECT_EQ(std::count(log.begin(), log.end(), vantrok::sim::procedureColumnsLogText("INS_UPD_D17_DailySale1")), 1);
}

TEST_F(StationDataAccess, AFailedCallRaisesWritesNothingAndLeaksNothing) {
    StoredProcedure p("INS_UPD_D17_DailySale1");
    p.setConnection(sales);
    fillSale(p, 7);
    p.setParameter(5, std::string("pump three"));  // does not convert to int
    EXPECT_NE(stateOf([&] { p.execute(); }), "no error");

    p.setParameter(5, std::int64_t{3});
    station.setFault("proc-fails", "on");
    EXPECT_NE(stateOf([&] { p.execute(); }), "no error");
    station.setFault("proc-fails", "off");

    EXPECT_TRUE(station.sales().empty());
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 1);
    p.execute();  // the command is still good
    EXPECT_EQ(station.sales().size(), 1u);
    sales.close();
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 0);
}

}  // namespace

// A strict station's procedures answer without SET NOCOUNT ON: the daily
// sale's insert and the backup's copy follow a first result. Both run only
// because every result is read to its end, also of a set released early,
// and the connection is free for the next statement at once.
TEST_F(StationDataAccess, ProceduresRunWholeAndTheConnectionStaysFree) {
    StoredProcedure p("INS_UPD_D17_DailySale1");
    p.setConnection(sales);
    fillSale(p, 1);
    p.execute();
    p.setParameter(1, std::string("INV/C9/251116/5"));
    p.execute();
    EXPECT_EQ(station.sales().size(), 2u);

    {
        ResultSet early = sales.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2");
        EXPECT_FALSE(early.eof());  // released here, its row set unread
    }
    EXPECT_EQ(station.sql("torvane_bk1", "SELECT count(*) FROM D17_DailySale"), "2\n");
    const auto log = station.statements("torvane");
    EXPECT_TRUE(std::none_of(log.begin(), log.end(), [](const std::string& s) { return s.starts_with("{cancelled"); }));

    // An explicit close raises what the rest of the procedure raised.
    station.setFault("backup-fails", "on");
    {
        ResultSet failing = sales.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2");
        EXPECT_EQ(stateOf([&] { failing.close(); }), "42000");
    }
    station.setFault("backup-fails", "off");
    EXPECT_FALSE(sales.execute(vantrok::invoiceQueryText({2016, 11, 25})).eof());
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 2);  // the command's own and the connection's spare
}

namespace {

// The next invoice number of 25-Nov-2016 as another connection reads it.
std::int64_t nextNumber(Connection& connection) {
    ResultSet next = connection.execute(vantrok::invoiceQueryText(DateTime{2016, 11, 25, 0, 0, 0, 0}));
    return std::get<std::int64_t>(next.field(std::size_t{1}));
}

const std::string dayLock =
    "select count(*) from D17_DailySale with (tablockx, holdlock) where S_Date>='25-Nov-2016' and "
    "S_Date<'26-Nov-2016'";

}  // namespace

// What carrying a delivery beside VANTROK relies on: while one connection
// holds the table lock in a transaction, another's invoice query waits, and
// then sees what the first committed; what is rolled back is gone.
TEST_F(StationDataAccess, ATransactionsTableLockHoldsOtherReadersUntilItEndsAndARollbackUndoesItsWrites) {
    Connection other;
    other.open(salesConnectionText(DbPassword));
    StoredProcedure write("INS_UPD_D17_DailySale1");
    write.setConnection(sales);
    {
        Transaction transaction(sales);
        ResultSet counted = sales.execute(dayLock);
        EXPECT_EQ(std::get<std::int64_t>(counted.field(std::size_t{0})), 0);
        counted.close();
        fillSale(write, 77);
        write.execute();
        std::atomic<bool> answered{false};
        std::int64_t seen = 0;
        std::thread reader([&] {
            seen = nextNumber(other);
            answered = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        EXPECT_FALSE(answered) << "the invoice query went past the lock";
        transaction.commit();
        reader.join();
        EXPECT_EQ(seen, 5) << "the query reads what was committed: INV/C9/251116/4 is taken";
    }
    EXPECT_EQ(nextNumber(other), 5) << "after the commit the lock is gone";
    {
        Transaction transaction(sales);
        sales.execute(dayLock).close();
        write.setParameter(1, std::string("INV/C9/251116/5"));
        write.setParameter(2, DateTime{2016, 11, 25, 18, 0, 0, 0});
        write.execute();
    }
    EXPECT_EQ(nextNumber(other), 5) << "the sale written in the rolled-back transaction is gone";
    EXPECT_EQ(nextNumber(sales), 5) << "the connection is back in auto-commit and usable";
}
