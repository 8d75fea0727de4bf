#include "sim/tds/Channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "sim/tds/Bytes.h"
#include "sim/tds/Tls.h"

namespace vantrok::sim::tds {

namespace {

constexpr std::size_t headerSize = 8;
constexpr std::uint8_t endOfMessage = 0x01;
constexpr std::uint8_t resetConnection = 0x08;
constexpr std::uint8_t resetConnectionSkipTransaction = 0x10;
// [MS-TDS] 2.2.6.4: a login may ask for 512 to 32767 bytes.
constexpr std::uint32_t smallestPacket = 512;
constexpr std::uint32_t largestPacket = 32767;
// A TLS record: content type, version, big-endian length (RFC 5246 6.2.1).
constexpr std::size_t recordHeaderSize = 5;
constexpr std::size_t largestRecord = 16384 + 2048;

}  // namespace

Channel::Channel(int socket, std::uint16_t spid) : socket_(socket), spid_(spid) {}

Channel::~Channel() {
    if (socket_ >= 0) ::close(socket_);
}

bool Channel::receiveExactly(char* into, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::recv(socket_, into + done, count - done, 0);
        if (n == 0) return false;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// More plain bytes into the inbox: one TLS record at a time while reads are
// encrypted, so no clear bytes that follow it are taken for TLS.
bool Channel::receive() {
    if (!tlsReads_) {
        char chunk[16384];
        for (;;) {
            ssize_t n = ::recv(socket_, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            inbox_.append(chunk, static_cast<std::size_t>(n));
            return true;
        }
    }
    std::string record(recordHeaderSize, '\0');
    if (!receiveExactly(record.data(), recordHeaderSize)) return false;
    const std::size_t length = static_cast<std::size_t>(static_cast<std::uint8_t>(record[3])) << 8 |
                               static_cast<std::uint8_t>(record[4]);
    if (length > largestRecord) throw ProtocolError("a TLS record of " + std::to_string(length) + " bytes");
    record.resize(recordHeaderSize + length);
    if (!receiveExactly(record.data() + recordHeaderSize, length))
        throw ProtocolError("the client closed the connection in the middle of a TLS record");
    inbox_ += tls_->open(record);
    return true;
}

bool Channel::readExactly(char* into, std::size_t count) {
    while (inbox_.size() < count)
        if (!receive()) return false;
    inbox_.copy(into, count);
    inbox_.erase(0, count);
    return true;
}

std::optional<Message> Channel::read(std::optional<PacketType> only) {
    Message message;
    for (bool first = true;; first = false) {
        char header[headerSize];
        if (!readExactly(header, headerSize)) {
            if (first) return std::nullopt;
            throw ProtocolError("the client closed the connection in the middle of a message");
        }
        auto type = static_cast<PacketType>(header[0]);
        if (only && type != *only)
            throw ProtocolError("a packet of type " + std::to_string(static_cast<int>(header[0])) + " where type " +
                                std::to_string(static_cast<int>(*only)) + " belongs");
        const auto status = static_cast<std::uint8_t>(header[1]);
        const std::size_t length =
            static_cast<std::size_t>(static_cast<std::uint8_t>(header[2])) << 8 | static_cast<std::uint8_t>(header[3]);
        if (length < headerSize || length > largestPacket + 1)
            throw ProtocolError("a packet of " + std::to_string(length) + " bytes");
        if (!first && type != message.type) throw ProtocolError("a message whose packets change type");
        message.type = type;
        if (first) {
            message.resetConnection = (status & (resetConnection | resetConnectionSkipTransaction)) != 0;
            message.keepTransaction = (status & resetConnectionSkipTransaction) != 0;
        }
        const std::size_t start = message.data.size();
        message.data.resize(start + length - headerSize);
        if (!readExactly(message.data.data() + start, length - headerSize))
            throw ProtocolError("the client closed the connection in the middle of a packet");
        // Login-only encryption ends with the first packet of the login.
        if (protection_ == Protection::LoginOnly) tlsReads_ = false;
        if (status & endOfMessage) return message;
    }
}

void Channel::secure(const TlsContext& context, Protection protection) {
    tls_ = std::make_unique<TlsSession>(context);
    while (!tls_->established()) {
        std::optional<Message> handshake = read(PacketType::PreLogin);
        if (!handshake) throw ProtocolError("the client left during the TLS handshake");
        const std::string answer = tls_->handshake(handshake->data);
        // One message answers each of the client's, in packets of the same type.
        const std::size_t payload = packetSize_ - headerSize;
        for (std::size_t at = 0; at < answer.size(); at += payload)
            sendPacket(PacketType::PreLogin, std::string_view(answer).substr(at, payload), at + payload >= answer.size());
    }
    // The client waits for the handshake's end before it sends a TLS record.
    if (!inbox_.empty()) throw ProtocolError("clear bytes right after the TLS handshake");
    protection_ = protection;
    tlsReads_ = protection != Protection::None;
    tlsWrites_ = protection == Protection::Session;
}

bool Channel::attentionArrived(std::chrono::milliseconds wait) {
    if (inbox_.empty()) {
        pollfd watched{socket_, POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(wait.count())) <= 0) return false;
        if (!receive()) throw ProtocolError("the client closed the connection during its request");
        // Part of a TLS record is no packet yet.
        if (inbox_.empty()) return false;
    }
    if (static_cast<PacketType>(inbox_[0]) != PacketType::Attention) return false;
    std::optional<Message> attention = read();
    if (!attention) throw ProtocolError("the client closed the connection during its request");
    return true;
}

void Channel::write(std::string_view tokens) {
    pending_.append(tokens);
    const std::size_t payload = packetSize_ - headerSize;
    std::size_t sent = 0;
    // Keep the tail back: the last packet of a reply carries its end mark.
    while (pending_.size() - sent > payload) {
        sendPacket(PacketType::TabularResult, std::string_view(pending_).substr(sent, payload), false);
        sent += payload;
    }
    pending_.erase(0, sent);
}

void Channel::flush(bool last) {
    if (pending_.empty() && !last) return;
    sendPacket(PacketType::TabularResult, pending_, last);
    pending_.clear();
}

void Channel::sendPacket(PacketType type, std::string_view payload, bool last) {
    std::string packet;
    packet.reserve(headerSize + payload.size());
    const std::size_t length = headerSize + payload.size();
    packet.push_back(static_cast<char>(type));
    packet.push_back(static_cast<char>(last ? endOfMessage : 0));
    packet.push_back(static_cast<char>(length >> 8));
    packet.push_back(static_cast<char>(length & 0xFF));
    packet.push_back(static_cast<char>(spid_ >> 8));
    packet.push_back(static_cast<char>(spid_ & 0xFF));
    packet.push_back(static_cast<char>(packetId_++));
    packet.push_back(0);
    packet.append(payload);
    sendBytes(tlsWrites_ ? tls_->seal(packet) : packet);
}

void Channel::sendBytes(std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::send(socket_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw ProtocolError("the client is gone");
        done += static_cast<std::size_t>(n);
    }
}

void Channel::setPacketSize(std::uint32_t size) {
    if (size < smallestPacket) size = smallestPacket;
    if (size > largestPacket) size = largestPacket;
    packetSize_ = size;
}

void Channel::reset() {
    linger abrupt{1, 0};
    ::setsockopt(socket_, SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
}

void Channel::shutdown() {
    ::shutdown(socket_, SHUT_RDWR);
}

}  // namespace vantrok::sim::tds
