#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vantrok::sim::tds {

class TlsContext;
class TlsSession;

// What a connection's TLS covers, as its PRELOGIN negotiated ([MS-TDS] 2.2.6.5).
enum class Protection {
    None,
    LoginOnly,  // the first packet of the LOGIN7; the rest goes in clear
    Session,    // everything after the handshake, both ways
};

// Packet types of [MS-TDS] 2.2.3.1.1.
enum class PacketType : std::uint8_t {
    SqlBatch = 0x01,
    Rpc = 0x03,
    TabularResult = 0x04,
    Attention = 0x06,
    BulkLoad = 0x07,
    TransactionManager = 0x0E,
    Login7 = 0x10,
    Sspi = 0x11,
    PreLogin = 0x12,
};

// One client message: the data of its packets up to the one marked end of message.
struct Message {
    PacketType type{};
    std::string data;
    // The client asks for its session to be reset before this request,
    // keeping its transaction when `keepTransaction` ([MS-TDS] 2.2.3.1.2).
    bool resetConnection = false;
    bool keepTransaction = false;
};

// The client's end of one TCP connection, in TDS packets ([MS-TDS] 2.2.3),
// in clear or through TLS: every read and write of the connection, attentions
// included, goes through here. Owns the socket.
class Channel {
public:
    explicit Channel(int socket, std::uint16_t spid);
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    // The next whole message; nullopt when the client closed the connection.
    // Throws ProtocolError on a packet that cannot be read, and with `only`
    // as soon as a packet of another type begins, before reading its body.
    std::optional<Message> read(std::optional<PacketType> only = std::nullopt);

    // The TLS handshake carried in PRELOGIN packets both ways ([MS-TDS]
    // 2.2.6.5), then TLS as `protection` says. Throws ProtocolError when the
    // client sends anything else or its TLS fails.
    void secure(const TlsContext& context, Protection protection);
    Protection protection() const { return protection_; }

    // Waits up to `wait` for the client's attention ([MS-TDS] 2.2.1.7) and
    // reads it when it came. A request of another kind is left unread.
    // Throws ProtocolError when the client has gone.
    bool attentionArrived(std::chrono::milliseconds wait);

    // Queues tokens of the current reply. As SQL Server does, a packet goes
    // out only once it is full; a part-filled one waits for the end of the reply.
    void write(std::string_view tokens);
    // Sends what is queued; `last` marks the end of the reply (an empty
    // packet when nothing is queued).
    void flush(bool last);

    void setPacketSize(std::uint32_t size);
    std::uint32_t packetSize() const { return packetSize_; }

    // The connection ends with a reset when it closes, as a server's whose
    // link breaks.
    void reset();
    // Ends reading and writing from another thread (stopping the endpoint).
    void shutdown();

private:
    bool readExactly(char* into, std::size_t count);
    bool receive();
    bool receiveExactly(char* into, std::size_t count);
    void sendPacket(PacketType type, std::string_view payload, bool last);
    void sendBytes(std::string_view bytes);

    int socket_;
    std::uint16_t spid_;
    std::uint32_t packetSize_ = 4096;
    std::uint8_t packetId_ = 1;
    std::string pending_;
    std::string inbox_;  // plain bytes received and not yet read
    std::unique_ptr<TlsSession> tls_;
    Protection protection_ = Protection::None;
    bool tlsReads_ = false;
    bool tlsWrites_ = false;
};

}  // namespace vantrok::sim::tds
