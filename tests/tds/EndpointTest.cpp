// The endpoint as FreeTDS meets it: registered for the tests' own station by
// the fixture on the FreeTDS road.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "sim/tds/EncryptionSetting.h"
#include "sim/tds/Endpoint.h"
#include "sim/tds/LoginLog.h"
#include "tests/sim/driver/OdbcClient.h"
#include "tests/support/StationTest.h"

using namespace vantrok::testing;
using vantrok::sim::tds::EncryptionPolicy;
using vantrok::sim::tds::loginLogFile;
using vantrok::sim::tds::policyName;
using vantrok::sim::tds::writeEncryptionPolicy;

namespace {

class Endpoint : public StationTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(onFreeTdsRoad()) << "registered on the FreeTDS road only";
        StationTest::SetUp();
    }
    std::string backupCount() { return station.sql("torvane_bk1", "SELECT count(*) FROM D17_DailySale"); }
    // The last line of the station's login record.
    std::string lastLogin() {
        std::ifstream log(loginLogFile(station.dir()));
        std::string line, last;
        while (std::getline(log, line)) last = line;
        return last;
    }
};

std::string packetBytes(std::uint8_t type, const std::string& payload) {
    std::string packet = {static_cast<char>(type), 1, 0, 0, 0, 0, 1, 0};
    packet += payload;
    packet[2] = static_cast<char>(packet.size() >> 8);
    packet[3] = static_cast<char>(packet.size() & 0xFF);
    return packet;
}

// What the endpoint sends next, waiting up to 5 s; empty once it closed.
std::string replyTo(int socket) {
    std::string reply(4096, '\0');
    timeval wait{5, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const ssize_t n = ::recv(socket, reply.data(), reply.size(), 0);
    reply.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return reply;
}

// One raw packet to the endpoint and its whole answer.
std::string exchange(int socket, std::uint8_t type, const std::string& payload) {
    const std::string packet = packetBytes(type, payload);
    EXPECT_EQ(::send(socket, packet.data(), packet.size(), 0), static_cast<ssize_t>(packet.size()));
    return replyTo(socket);
}

// A bare connection to an endpoint: by default the fixture's.
int connectToEndpoint(std::uint16_t port = static_cast<std::uint16_t>(std::atoi(std::getenv("TDSPORT")))) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return socket;
}

}  // namespace

// On FreeTDS' own default the login alone is encrypted; with its
// "Encryption=require" the whole session, the attention included.
TEST_F(Endpoint, AClientsCancelStopsASlowBackupBeforeItsCopyAndTheConnectionGoesOn) {
    station.sql("torvane", "INSERT INTO D17_DailySale (VocNo) VALUES ('INV/C9/251116/1')");
    for (const std::string& text : {std::string(salesText), std::string(salesText) + ";Encryption=require"}) {
        SCOPED_TRACE(text);
        station.setFault("backup-seconds", "30");
        OdbcClient client;
        ASSERT_TRUE(SQL_SUCCEEDED(client.connect(text)));
        OdbcStatement statement(client);
        // FreeTDS sends the attention when the query time-out passes.
        ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(1), 0),
                  SQL_SUCCESS);
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
        station.sql("torvane_bk1", "DELETE FROM D17_DailySale");
    }
}

TEST_F(Endpoint, AFirstPacketOtherThanAPreLoginEndsTheConnectionUnanswered) {
    // A bulk load, and the TLS ClientHello with which a TDS 8 client opens
    // (its record header read as a packet header would promise 769 bytes).
    const std::string clientHello = {0x16, 0x03, 0x01, 0x00, 0x40, 0x01, 0x00, 0x00, 0x3C, 0x03, 0x03};
    for (const std::string& first : {packetBytes(0x07, "nonsense"), clientHello}) {
        const int socket = connectToEndpoint();
        ASSERT_EQ(::send(socket, first.data(), first.size(), 0), static_cast<ssize_t>(first.size()));
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(replyTo(socket), "") << "the connection is closed, not answered";
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << "the connection hung";
        ::close(socket);
    }
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
    const int socket = connectToEndpoint();
    // A client that cannot encrypt: encryption not supported, both ways.
    const std::string preLogin = {0x01, 0x00, 0x06, 0x00, 0x01, static_cast<char>(0xFF), 0x02};
    std::string reply = exchange(socket, 0x12, preLogin);
    ASSERT_GT(reply.size(), 8u);
    EXPECT_EQ(static_cast<std::uint8_t>(reply[0]), 0x04);

    // A bulk load before any login, twice: an ERROR token (0xAA) and a DONE with its error bit.
    for (int attempt = 0; attempt < 2; ++attempt) {
        reply = exchange(socket, 0x07, "nonsense");
        ASSERT_GT(reply.size(), 9u) << attempt;
        EXPECT_EQ(static_cast<std::uint8_t>(reply[0]), 0x04);
        EXPECT_EQ(static_cast<std::uint8_t>(reply[8]), 0xAA);
        EXPECT_EQ(static_cast<std::uint8_t>(reply[reply.size() - 13]), 0xFD);
        EXPECT_EQ(reply[reply.size() - 12] & 0x02, 0x02);
    }
    ::close(socket);
}

// What FreeTDS' "Encryption" asks against each station setting, as the
// encryption table of [MS-TDS] 2.2.6.5 decides. FreeTDS' default, "request"
// (ENCRYPT_OFF), is what Windows' driver sends.
TEST_F(Endpoint, EncryptionIsWhatTheClientAndTheStationSettingAgree) {
    struct Case {
        EncryptionPolicy station;
        std::string client;
        std::optional<std::string> login;  // nullopt: the client gives up
    };
    const Case cases[] = {
        {EncryptionPolicy::Offer, "off", "clear"},
        {EncryptionPolicy::Offer, "request", "login encrypted"},
        {EncryptionPolicy::Offer, "require", "session encrypted"},
        {EncryptionPolicy::Refuse, "request", "clear"},
        {EncryptionPolicy::Refuse, "require", std::nullopt},
        {EncryptionPolicy::Force, "off", "session encrypted"},
        {EncryptionPolicy::Force, "request", "session encrypted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(policyName(c.station)) + " / " + c.client);
        writeEncryptionPolicy(station.dir(), c.station);
        OdbcClient client;
        const SQLRETURN connected = client.connect(std::string(salesText) + ";Encryption=" + c.client);
        if (!c.login) {
            EXPECT_EQ(connected, SQL_ERROR);
            continue;
        }
        ASSERT_TRUE(SQL_SUCCEEDED(connected));
        EXPECT_EQ(lastLogin(), "torvane\tsa\t" + *c.login);
        OdbcStatement statement(client);
        ASSERT_TRUE(SQL_SUCCEEDED(statement.execute("select max(S_Date) as Last_S_Date from D17_DailySale")));
    }
}

TEST_F(Endpoint, BrokenConnectionsBreakOnAnEncryptedSessionToo) {
    OdbcClient client;
    ASSERT_TRUE(SQL_SUCCEEDED(client.connect(std::string(salesText) + ";Encryption=require")));
    ASSERT_EQ(lastLogin(), "torvane\tsa\tsession encrypted");
    station.setFault("break-connections", "on");
    OdbcStatement statement(client);
    EXPECT_EQ(statement.execute("select max(S_Date) as Last_S_Date from D17_DailySale"), SQL_ERROR);
    SQLUINTEGER dead = SQL_CD_FALSE;
    SQLGetConnectAttr(client.dbc(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    EXPECT_EQ(dead, SQL_CD_TRUE);
    station.setFault("break-connections", "off");
    OdbcClient again;
    EXPECT_TRUE(SQL_SUCCEEDED(again.connect(std::string(salesText) + ";Encryption=require")));
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
    const int socket = connectToEndpoint(port);
    const std::string preLogin = {0x01, 0x00, 0x06, 0x00, 0x01, static_cast<char>(0xFF), 0x02};
    ASSERT_FALSE(exchange(socket, 0x12, preLogin).empty());
    // The server closes first, so its side of the connection lingers on the port.
    first.reset();
    ::close(socket);
    EXPECT_NO_THROW(vantrok::sim::tds::Endpoint(station.dir(), port));
}
