// The client's attention, byte by byte: what comes back and in which messages,
// wherever it reaches a request. Strict clients (tedious, Microsoft's) read the
// interrupted reply to its end, then wait for the acknowledgement as a message
// of its own; a reply is held in its packet until it ends.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <string>

#include "sim/tds/Endpoint.h"
#include "tests/support/TestStation.h"
#include "tests/tds/ClientMessages.h"

namespace vantrok::testing {
namespace {

constexpr std::uint8_t sqlBatchType = 0x01;
constexpr std::uint8_t attentionType = 0x06;
constexpr std::uint8_t login7Type = 0x10;
constexpr std::uint8_t preLoginType = 0x12;
const std::string backup = "EXEC SYNX_TWO_DB_TO_BK1_BK2";
const std::string fuelType =
    "select d1.fueltypecode from D10_Hose d1 left outer join d1_fueltype d2 on d1.fueltypecode=d2.fueltypecode "
    "left outer join d9_tank d3 on d1.tank_no=d3.tank_no where d1.pump_no='1' and d1.hose_number='1'";

// A message's payload ends in a DONE token ([MS-TDS] 2.2.7.6: token, status, command, 8-byte count).
constexpr std::size_t doneSize = 13;
std::uint16_t lastDoneStatus(const std::string& payload) {
    if (payload.size() < doneSize || static_cast<std::uint8_t>(payload[payload.size() - doneSize]) != 0xFD)
        return 0xFFFF;
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(payload[payload.size() - 12]) |
                                      static_cast<std::uint8_t>(payload[payload.size() - 11]) << 8);
}
// The acknowledgement: a message of nothing but a DONE with its attention bit.
bool isAcknowledgement(const std::string& payload) {
    return payload.size() == doneSize && (lastDoneStatus(payload) & 0x20) != 0;
}

// A logged-in client of an endpoint of a fresh station.
class AttentionOnTheWire : public ::testing::Test {
protected:
    void SetUp() override {
        endpoint.start();
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(endpoint.port());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        // A client that cannot encrypt: encryption not supported, both ways.
        send(packet(preLoginType, std::string{0x01, 0x00, 0x06, 0x00, 0x01, static_cast<char>(0xFF), 0x02}));
        ASSERT_TRUE(message(std::chrono::seconds(5))) << "no PRELOGIN answer";
        send(packet(login7Type, login7("sa", "qolvent4719ruk", "torvane")));
        const std::optional<std::string> loggedIn = message(std::chrono::seconds(5));
        ASSERT_TRUE(loggedIn);
        ASSERT_NE(loggedIn->find('\xAD'), std::string::npos) << "no LOGINACK";
        station.sql("torvane", "INSERT INTO D17_DailySale (VocNo) VALUES ('INV/C9/251116/1')");
    }
    void TearDown() override { ::close(socket_); }

    void send(const std::string& bytes) {
        ASSERT_EQ(::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    // The next whole message's payload; nullopt when none began within `wait`.
    std::optional<std::string> message(std::chrono::milliseconds wait) {
        std::string payload;
        for (bool first = true;; first = false) {
            pollfd ready{socket_, POLLIN, 0};
            if (::poll(&ready, 1, static_cast<int>(first ? wait.count() : 5000)) != 1) return std::nullopt;
            std::string header = readExactly(8);
            if (header.size() < 8) return std::nullopt;
            const std::size_t length = static_cast<std::uint8_t>(header[2]) << 8 | static_cast<std::uint8_t>(header[3]);
            payload += readExactly(length - 8);
            if (header[1] & 0x01) return payload;
        }
    }
    std::string backedUp() { return station.sql("torvane_bk1", "SELECT count(*) FROM D17_DailySale"); }
    // The session answers the next request in full.
    void expectItGoesOn() {
        send(packet(sqlBatchType, sqlBatch(fuelType)));
        const std::optional<std::string> reply = message(std::chrono::seconds(5));
        ASSERT_TRUE(reply);
        EXPECT_NE(reply->find("ULP"), std::string::npos);
        EXPECT_EQ(lastDoneStatus(*reply) & 0x22, 0x00) << "an error or an acknowledgement where rows were due";
    }

    TestStation station;
    sim::tds::Endpoint endpoint{station.dir(), 0};

private:
    std::string readExactly(std::size_t count) {
        std::string bytes(count, '\0');
        std::size_t done = 0;
        while (done < count) {
            const ssize_t n = ::recv(socket_, bytes.data() + done, count - done, 0);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
        return bytes;
    }
    int socket_ = -1;
};

TEST_F(AttentionOnTheWire, AnAttentionBetweenRequestsIsAcknowledgedAlone) {
    send(packet(attentionType, ""));
    const std::optional<std::string> acknowledgement = message(std::chrono::seconds(5));
    ASSERT_TRUE(acknowledgement);
    EXPECT_TRUE(isAcknowledgement(*acknowledgement));
    EXPECT_FALSE(message(std::chrono::milliseconds(200))) << "more than the acknowledgement came";
    expectItGoesOn();
}

TEST_F(AttentionOnTheWire, ARunningProcedureEndsItsReplyThenTheAcknowledgementFollowsAlone) {
    station.setFault("backup-seconds", "30");
    send(packet(sqlBatchType, sqlBatch(backup)));
    EXPECT_FALSE(message(std::chrono::milliseconds(300))) << "the reply did not wait for the procedure";
    send(packet(attentionType, ""));
    const std::optional<std::string> interrupted = message(std::chrono::seconds(5));
    ASSERT_TRUE(interrupted) << "the interrupted reply never ended";
    EXPECT_FALSE(isAcknowledgement(*interrupted)) << "the acknowledgement came inside the interrupted reply";
    const std::optional<std::string> acknowledgement = message(std::chrono::seconds(5));
    ASSERT_TRUE(acknowledgement);
    EXPECT_TRUE(isAcknowledgement(*acknowledgement));
    EXPECT_EQ(station.statements("torvane").back(), "{cancelled before its end: " + backup + "}");
    EXPECT_EQ(backedUp(), "0\n");
    station.setFault("backup-seconds", "0");
    expectItGoesOn();
}

// Sent with its request, the attention finds the procedure between its row
// set and its copy: the copy never runs.
TEST_F(AttentionOnTheWire, AnAttentionBetweenResultsStopsTheProcedureThere) {
    send(packet(sqlBatchType, sqlBatch(backup)) + packet(attentionType, ""));
    const std::optional<std::string> interrupted = message(std::chrono::seconds(5));
    ASSERT_TRUE(interrupted);
    EXPECT_FALSE(isAcknowledgement(*interrupted));
    const std::optional<std::string> acknowledgement = message(std::chrono::seconds(5));
    ASSERT_TRUE(acknowledgement);
    EXPECT_TRUE(isAcknowledgement(*acknowledgement));
    EXPECT_EQ(backedUp(), "0\n");
    expectItGoesOn();
}

// SQL Server fills a packet before it sends it: a reply smaller than one comes
// whole when the request ends, row set and all.
TEST_F(AttentionOnTheWire, APartFilledPacketWaitsForTheEndOfTheReply) {
    station.setFault("backup-seconds", "1");
    send(packet(sqlBatchType, sqlBatch(backup)));
    EXPECT_FALSE(message(std::chrono::milliseconds(700))) << "the row set went out before the procedure ended";
    const std::optional<std::string> reply = message(std::chrono::seconds(5));
    ASSERT_TRUE(reply);
    EXPECT_NE(reply->find("D17_DailySale"), std::string::npos) << "the row set is missing";
    EXPECT_EQ(lastDoneStatus(*reply), 0x0010) << "not the procedure's final DONE with its count";
    EXPECT_EQ(backedUp(), "1\n");
}

}  // namespace
}  // namespace vantrok::testing
