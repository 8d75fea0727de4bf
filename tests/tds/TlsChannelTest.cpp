// The channel's TLS against a client made here with OpenSSL: the handshake in
// PRELOGIN packets, whole-session and login-only encryption, and attentions
// read through TLS.
#include <gtest/gtest.h>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <string>

#include "sim/tds/Bytes.h"
#include "sim/tds/Channel.h"
#include "sim/tds/ServerCertificate.h"
#include "sim/tds/Tls.h"

using namespace vantrok::sim::tds;
using namespace std::chrono_literals;

namespace {

std::string packet(PacketType type, std::string_view payload) {
    const std::size_t length = 8 + payload.size();
    std::string p = {static_cast<char>(type), 1, static_cast<char>(length >> 8), static_cast<char>(length & 0xFF),
                     0, 0, 1, 0};
    return p + std::string(payload);
}

void sendAll(int socket, std::string_view bytes) {
    ASSERT_EQ(::send(socket, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
}

std::string receiveExactly(int socket, std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::recv(socket, bytes.data() + done, count - done, 0);
        if (n <= 0) throw std::runtime_error("the server closed the connection");
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

// One packet as the server sent it in clear: its type and payload.
std::pair<PacketType, std::string> receivePacket(int socket) {
    const std::string header = receiveExactly(socket, 8);
    const std::size_t length = static_cast<std::size_t>(static_cast<std::uint8_t>(header[2])) << 8 |
                               static_cast<std::uint8_t>(header[3]);
    return {static_cast<PacketType>(header[0]), receiveExactly(socket, length - 8)};
}

// A TDS client's TLS, driven by hand as a driver drives it.
class Client {
public:
    explicit Client(int socket) : socket_(socket), context_(SSL_CTX_new(TLS_client_method())) {
        ssl_ = SSL_new(context_);
        SSL_set_bio(ssl_, BIO_new(BIO_s_mem()), BIO_new(BIO_s_mem()));
        SSL_set_connect_state(ssl_);
    }
    ~Client() {
        SSL_free(ssl_);
        SSL_CTX_free(context_);
    }

    // The handshake, each flight wrapped in a PRELOGIN message.
    void handshake() {
        while (SSL_do_handshake(ssl_) != 1) {
            sendAll(socket_, packet(PacketType::PreLogin, outgoing()));
            auto [type, payload] = receivePacket(socket_);
            ASSERT_EQ(type, PacketType::PreLogin) << "the server's handshake comes in PRELOGIN packets";
            BIO_write(SSL_get_rbio(ssl_), payload.data(), static_cast<int>(payload.size()));
        }
    }
    void sendEncrypted(std::string_view bytes) {
        SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size()));
        sendAll(socket_, outgoing());
    }
    // The plain bytes of the next record from the server.
    std::string receiveEncrypted() {
        const std::string header = receiveExactly(socket_, 5);
        const std::size_t length = static_cast<std::size_t>(static_cast<std::uint8_t>(header[3])) << 8 |
                                   static_cast<std::uint8_t>(header[4]);
        const std::string record = header + receiveExactly(socket_, length);
        BIO_write(SSL_get_rbio(ssl_), record.data(), static_cast<int>(record.size()));
        char plain[16384];
        const int n = SSL_read(ssl_, plain, sizeof plain);
        return n > 0 ? std::string(plain, static_cast<std::size_t>(n)) : std::string();
    }

private:
    std::string outgoing() {
        BIO* out = SSL_get_wbio(ssl_);
        std::string bytes(static_cast<std::size_t>(BIO_ctrl_pending(out)), '\0');
        BIO_read(out, bytes.data(), static_cast<int>(bytes.size()));
        return bytes;
    }

    int socket_;
    SSL_CTX* context_;
    SSL* ssl_ = nullptr;
};

class TlsChannel : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() / ("vantrok-tls-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        const std::string file = certificateFile(folder_.string());
        makeCertificateUnlessPresent(file);
        context_ = std::make_unique<TlsContext>(file);
        int pair[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        server_ = std::make_unique<Channel>(pair[0], 51);
        client_ = pair[1];
    }
    void TearDown() override {
        server_.reset();
        ::close(client_);
        std::filesystem::remove_all(folder_);
    }

    // The server secures its side while the client shakes hands.
    void handshake(Client& client, Protection protection) {
        auto secured = std::async(std::launch::async, [&] { server_->secure(*context_, protection); });
        client.handshake();
        secured.get();
    }

    std::filesystem::path folder_;
    std::unique_ptr<TlsContext> context_;
    std::unique_ptr<Channel> server_;
    int client_ = -1;
};

TEST_F(TlsChannel, AWholeSessionCarriesRequestsRepliesAndAttentionsEncrypted) {
    Client client(client_);
    handshake(client, Protection::Session);

    client.sendEncrypted(packet(PacketType::SqlBatch, "select 1"));
    // A request that is no attention stays to be read, through TLS.
    EXPECT_FALSE(server_->attentionArrived(2s));
    std::optional<Message> batch = server_->read();
    ASSERT_TRUE(batch);
    EXPECT_EQ(batch->type, PacketType::SqlBatch);
    EXPECT_EQ(batch->data, "select 1");

    EXPECT_FALSE(server_->attentionArrived(0ms)) << "nothing has come";
    client.sendEncrypted(packet(PacketType::Attention, ""));
    EXPECT_TRUE(server_->attentionArrived(2s));

    server_->write("reply");
    server_->flush(true);
    const std::string reply = client.receiveEncrypted();
    ASSERT_GE(reply.size(), 8u);
    EXPECT_EQ(static_cast<PacketType>(reply[0]), PacketType::TabularResult);
    EXPECT_EQ(reply.substr(8), "reply");
}

TEST_F(TlsChannel, LoginOnlyEncryptionEndsAfterTheLoginsFirstPacket) {
    Client client(client_);
    handshake(client, Protection::LoginOnly);

    client.sendEncrypted(packet(PacketType::Login7, "login"));
    std::optional<Message> login = server_->read();
    ASSERT_TRUE(login);
    EXPECT_EQ(login->type, PacketType::Login7);
    EXPECT_EQ(login->data, "login");

    server_->write("ack");
    server_->flush(true);
    auto [type, payload] = receivePacket(client_);
    EXPECT_EQ(type, PacketType::TabularResult) << "the login's answer comes in clear";
    EXPECT_EQ(payload, "ack");

    sendAll(client_, packet(PacketType::SqlBatch, "select 1"));
    std::optional<Message> batch = server_->read();
    ASSERT_TRUE(batch);
    EXPECT_EQ(batch->data, "select 1");
}

TEST_F(TlsChannel, ALoginInClearWhereTheHandshakeBelongsIsRefused) {
    sendAll(client_, packet(PacketType::Login7, "login"));
    EXPECT_THROW(server_->secure(*context_, Protection::Session), ProtocolError);
}

}  // namespace
