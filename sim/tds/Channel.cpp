#include "sim/tds/Channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "sim/tds/Bytes.h"

namespace vantrok::sim::tds {

namespace {

constexpr std::size_t headerSize = 8;
constexpr std::uint8_t endOfMessage = 0x01;
constexpr std::uint8_t resetConnection = 0x08;
constexpr std::uint8_t resetConnectionSkipTransaction = 0x10;
// [MS-TDS] 2.2.6.4: a login may ask for 512 to 32767 bytes.
constexpr std::uint32_t smallestPacket = 512;
constexpr std::uint32_t largestPacket = 32767;

}  // namespace

Channel::Channel(int socket, std::uint16_t spid) : socket_(socket), spid_(spid) {}

Channel::~Channel() {
    if (socket_ >= 0) ::close(socket_);
}

bool Channel::readExactly(char* into, std::size_t count) {
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

std::optional<Message> Channel::read() {
    Message message;
    for (bool first = true;; first = false) {
        char header[headerSize];
        if (!readExactly(header, headerSize)) {
            if (first) return std::nullopt;
            throw ProtocolError("the client closed the connection in the middle of a message");
        }
        auto type = static_cast<PacketType>(header[0]);
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
        if (status & endOfMessage) return message;
    }
}

bool Channel::attentionArrived(std::chrono::milliseconds wait) {
    pollfd watched{socket_, POLLIN, 0};
    int ready = ::poll(&watched, 1, static_cast<int>(wait.count()));
    if (ready <= 0) return false;
    char header[headerSize];
    ssize_t n = ::recv(socket_, header, headerSize, MSG_PEEK);
    if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
        throw ProtocolError("the client closed the connection during its request");
    if (n < 1 || static_cast<PacketType>(header[0]) != PacketType::Attention) return false;
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
        sendPacket(std::string_view(pending_).substr(sent, payload), false);
        sent += payload;
    }
    pending_.erase(0, sent);
}

void Channel::flush(bool last) {
    if (pending_.empty() && !last) return;
    sendPacket(pending_, last);
    pending_.clear();
}

void Channel::sendPacket(std::string_view payload, bool last) {
    std::string packet;
    packet.reserve(headerSize + payload.size());
    const std::size_t length = headerSize + payload.size();
    packet.push_back(static_cast<char>(PacketType::TabularResult));
    packet.push_back(static_cast<char>(last ? endOfMessage : 0));
    packet.push_back(static_cast<char>(length >> 8));
    packet.push_back(static_cast<char>(length & 0xFF));
    packet.push_back(static_cast<char>(spid_ >> 8));
    packet.push_back(static_cast<char>(spid_ & 0xFF));
    packet.push_back(static_cast<char>(packetId_++));
    packet.push_back(0);
    packet.append(payload);
    std::size_t done = 0;
    while (done < packet.size()) {
        ssize_t n = ::send(socket_, packet.data() + done, packet.size() - done, MSG_NOSIGNAL);
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
