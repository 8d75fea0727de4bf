// The endpoint as FreeTDS meets it: registered for the tests' own station by
// the fixture on the FreeTDS road.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "sim/tds/Endpoint.h"
#include "tests/sim/driver/OdbcClient.h"
#include "tests/support/StationTest.h"

using namespace vantrok::testing;

namespace {

class Endpoint : public StationTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(onFreeTdsRoad()) << "registered on the FreeTDS road only";
        StationTest::SetUp();
    }
    std::string backupCount() { return station.sql("torvane_bk1", "SELECT count(*) FROM D17_DailySale"); }
};

// One raw packet to the endpoint and its whole answer.
std::string exchange(int socket, std::uint8_t type, const std::string& payload) {
    std::string packet = {static_cast<char>(type), 1, 0, 0, 0, 0, 1, 0};
    packet += payload;
    packet[2] = static_cast<char>(packet.size() >> 8);
    packet[3] = static_cast<char>(packet.size() & 0xFF);
    EXPECT_EQ(::send(socket, packet.data(), packet.size(), 0), static_cast<ssize_t>(packet.size()));
    std::string reply(4096, '\0');
    timeval wait{5, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const ssize_t n = ::recv(socket, reply.data(), reply.size(), 0);
    reply.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return reply;
}

}  // namespace

TEST_F(Endpoint, AClientsCancelStopsASlowBackupBeforeItsCopyAndTheConnectionGoesOn) {
    station.sql("torvane", "INSERT INTO D17_DailySale (VocNo) VALUES ('INV/C9/251116/1')");
    station.setFault("backup-seconds", "30");
    OdbcClient client;
    ASSERT_TRUE(SQL_SUCCEEDED(client.connect(salesText)));
    OdbcStatement statement(client);
    // FreeTDS sends the attention when the query time-out passes.
    ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(1), 0), SQL_SUCCESS);
    // The row set waits in its part-filled packet with the rest of the
    // reply, so the time-out falls in the execution itself.
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(statement.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2"), SQL_ERROR);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << "the reply was held";
    ASSERT_FALSE(statement.diagnostics().empty());
    EXPECT_EQ(statement.diagnostics()[0].sqlstate, "HYT00");
    EXPECT_EQ(station.statements("torvane").back(), "{cancelled before its end: EXEC SYNX_TWO_DB_TO_BK1_BK2}");
    EXPECT_EQ(backupCount(), "0\n");

    station.setFault("backup-seconds", "0");
    SQLFreeStmt(statement.get(), SQL_CLOSE);
    ASSERT_TRUE(SQL_SUCCEEDED(statement.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2")));
    while (SQLMoreResults(statement.get()) != SQL_NO_DATA) {
    }
    EXPECT_EQ(backupCount(), "1\n");
}

// FreeTDS cancels what it has not read when a cursor closes early. The whole
// reply had come, the copy included, so the attention finds no statement to
// stop: it is acknowledged alone and the connection goes on.
TEST_F(Endpoint, ACursorClosedAtTheRowSetCancelsNothingAndTheConnectionGoesOn) {
    station.sql("torvane", "INSERT INTO D17_DailySale (VocNo) VALUES ('INV/C9/251116/1')");
    OdbcClient client;
    ASSERT_TRUE(SQL_SUCCEEDED(client.connect(salesText)));
    OdbcStatement statement(client);
    ASSERT_EQ(statement.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
    ASSERT_EQ(SQLFreeStmt(statement.get(), SQL_CLOSE), SQL_SUCCESS);
    EXPECT_EQ(backupCount(), "1\n");
    EXPECT_EQ(station.statements("torvane").back(), "EXEC SYNX_TWO_DB_TO_BK1_BK2");
    ASSERT_EQ(statement.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
    EXPECT_EQ(statement.text(1), "D17_DailySale");
}

TEST_F(Endpoint, WhatItDoesNotUnderstandIsRefusedWithAnErrorAndTheConnectionStays) {
    const char* port = std::getenv("TDSPORT");
    ASSERT_NE(port, nullptr);
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(std::atoi(port)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    // A bulk load before any login: an ERROR token (0xAA) and a DONE with its error bit.
    std::string reply = exchange(socket, 0x07, "nonsense");
    ASSERT_GT(reply.size(), 9u);
    EXPECT_EQ(static_cast<std::uint8_t>(reply[0]), 0x04);
    EXPECT_EQ(static_cast<std::uint8_t>(reply[8]), 0xAA);
    EXPECT_EQ(static_cast<std::uint8_t>(reply[reply.size() - 13]), 0xFD);
    EXPECT_EQ(reply[reply.size() - 12] & 0x02, 0x02);

    // The same connection still answers a pre-login: encryption not supported.
    const std::string preLogin = {0x01, 0x00, 0x06, 0x00, 0x01, static_cast<char>(0xFF), 0x00};
    reply = exchange(socket, 0x12, preLogin);
    ASSERT_GT(reply.size(), 8u);
    EXPECT_EQ(static_cast<std::uint8_t>(reply[0]), 0x04);
    EXPECT_NE(reply.find(std::string("\x01\x00", 2)), std::string::npos);
    ::close(socket);
}

TEST_F(Endpoint, RefusedConnectionsAreRefusedAtConnect) {
    station.setFault("refuse-connections", "on");
    OdbcClient client;
    EXPECT_EQ(client.connect(salesText), SQL_ERROR);
    station.setFault("refuse-connections", "off");
    OdbcClient again;
    EXPECT_TRUE(SQL_SUCCEEDED(again.connect(salesText)));
}

TEST_F(Endpoint, ADriversSessionSettingIsAnsweredAndLoggedAsSuch) {
    OdbcClient client;
    ASSERT_TRUE(SQL_SUCCEEDED(client.connect(salesText)));
    OdbcStatement statement(client);
    // No result at all: SQL_NO_DATA to an ODBC 3 client.
    EXPECT_EQ(statement.execute("SET TEXTSIZE 4096"), SQL_NO_DATA);
    EXPECT_EQ(statement.execute("SET TEXTSIZE 4096 SELECT 1"), SQL_ERROR);
    EXPECT_EQ(station.statements("torvane"),
              (std::vector<std::string>{"{session setting: SET TEXTSIZE 4096}", "SET TEXTSIZE 4096 SELECT 1"}));
}

TEST_F(Endpoint, APreparedStatementRunsOnceForEachExecution) {
    OdbcClient client;
    ASSERT_TRUE(SQL_SUCCEEDED(client.connect(salesText)));
    OdbcStatement statement(client);
    // FreeTDS prepares and runs it with sp_prepexec, then runs it by its handle with sp_execute.
    std::string backup = "EXEC SYNX_TWO_DB_TO_BK1_BK2";
    ASSERT_EQ(SQLPrepare(statement.get(), reinterpret_cast<SQLCHAR*>(backup.data()), SQL_NTS), SQL_SUCCESS);
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(SQL_SUCCEEDED(SQLExecute(statement.get()))) << run;
        ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
        EXPECT_EQ(statement.text(1), "D17_DailySale");
        while (SQLMoreResults(statement.get()) != SQL_NO_DATA) {
        }
    }
    EXPECT_EQ(station.statements("torvane"), (std::vector<std::string>{backup, backup}));
}

namespace {

std::string firstCell(OdbcClient& client, const std::string& sql) {
    OdbcStatement statement(client);
    EXPECT_TRUE(SQL_SUCCEEDED(statement.execute(sql))) << sql;
    EXPECT_EQ(SQLFetch(statement.get()), SQL_SUCCESS) << sql;
    return statement.text(1);
}

}  // namespace

// Auto-commit off as Microsoft's drivers turn it off, through FreeTDS: carry's
// lock statement opens the transaction, the renumbering's count is its own,
// and the rollback undoes it.
TEST_F(Endpoint, ImplicitTransactionsHoldCarrysWorkUntilTheClientEndsThem) {
    station.sql("torvane", "INSERT INTO D17_DailySale (VocNo, S_Date, Delivery_ID) "
                           "VALUES ('INV/C9/241116/1', '2016-11-24 09:30:00.000', 7)");
    OdbcClient client;
    ASSERT_TRUE(SQL_SUCCEEDED(client.connect(salesText)));
    EXPECT_EQ(OdbcStatement(client).execute("set implicit_transactions on"), SQL_NO_DATA);
    EXPECT_EQ(firstCell(client, "select @@TRANCOUNT"), "0");
    EXPECT_EQ(firstCell(client, "select count(*) from D17_DailySale with (tablockx, holdlock) "
                                "where S_Date>='24-Nov-2016' and S_Date<'25-Nov-2016'"),
              "1");
    EXPECT_EQ(firstCell(client, "select @@TRANCOUNT"), "1");
    {
        OdbcStatement renumber(client);
        ASSERT_EQ(renumber.execute("update D17_DailySale set VocNo='INV/C9/241116/2' where VocNo='INV/C9/241116/1' "
                                   "and Delivery_ID=7 and S_Date>='24-Nov-2016' and S_Date<'25-Nov-2016'"),
                  SQL_SUCCESS);
        SQLLEN count = -1;
        EXPECT_EQ(SQLRowCount(renumber.get(), &count), SQL_SUCCESS);
        EXPECT_EQ(count, 1);
    }
    EXPECT_NE(OdbcStatement(client).execute("IF @@TRANCOUNT > 0 ROLLBACK TRAN"), SQL_ERROR);
    EXPECT_EQ(firstCell(client, "select @@TRANCOUNT"), "0");
    EXPECT_EQ(station.sql("torvane", "SELECT VocNo FROM D17_DailySale"), "INV/C9/241116/1\n");
}

// A station killed and served again must take its port back at once, while
// the connections of the one before are still closing.
TEST_F(Endpoint, ARestartedEndpointListensOnTheSamePortAtOnce) {
    auto first = std::make_unique<vantrok::sim::tds::Endpoint>(station.dir(), 0);
    const std::uint16_t port = first->port();
    first->start();
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string preLogin = {0x01, 0x00, 0x06, 0x00, 0x01, static_cast<char>(0xFF), 0x00};
    ASSERT_FALSE(exchange(socket, 0x12, preLogin).empty());
    // The server closes first, so its side of the connection lingers on the port.
    first.reset();
    ::close(socket);
    EXPECT_NO_THROW(vantrok::sim::tds::Endpoint(station.dir(), port));
}
