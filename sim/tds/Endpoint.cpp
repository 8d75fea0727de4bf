#include "sim/tds/Endpoint.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "sim/tds/Conversation.h"
#include "sim/tds/ServerCertificate.h"
#include "sim/tds/Tls.h"

namespace vantrok::sim::tds {

struct Endpoint::Worker {
    std::unique_ptr<Conversation> conversation;
    std::thread thread;
    std::atomic<bool> finished{false};
};

namespace {

constexpr int acceptCheckMilliseconds = 100;

}  // namespace

Endpoint::Endpoint(std::string stationDir, std::uint16_t port, std::optional<std::string> certificate)
    : stationDir_(std::move(stationDir)) {
    const std::string file = certificate.value_or(certificateFile(stationDir_));
    makeCertificateUnlessPresent(file);
    tls_ = std::make_unique<TlsContext>(file);
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) throw std::runtime_error(std::string("cannot open a socket: ") + std::strerror(errno));
    int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, SOMAXCONN) != 0) {
        const std::string reason = std::strerror(errno);
        ::close(listener_);
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + reason);
    }
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
}

Endpoint::~Endpoint() {
    stopping_ = true;
    if (background_.joinable()) background_.join();
    {
        std::lock_guard lock(workersMutex_);
        for (auto& worker : workers_) worker->conversation->shutdown();
    }
    for (auto& worker : workers_) worker->thread.join();
    ::close(listener_);
}

void Endpoint::start() {
    background_ = std::thread([this] { serve(stopping_); });
}

void Endpoint::serve(const std::atomic<bool>& stop) {
    while (!stop && !stopping_) {
        pollfd watched{listener_, POLLIN, 0};
        if (::poll(&watched, 1, acceptCheckMilliseconds) > 0) accept();
        reapFinished();
    }
}

void Endpoint::accept() {
    int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return;
    int yes = 1;
    // Replies are whole messages: send each at once.
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    auto worker = std::make_unique<Worker>();
    worker->conversation = std::make_unique<Conversation>(client, nextSpid_++, stationDir_, *tls_);
    Worker* raw = worker.get();
    std::lock_guard lock(workersMutex_);
    workers_.push_back(std::move(worker));
    raw->thread = std::thread([raw] {
        raw->conversation->run();
        raw->finished = true;
    });
}

void Endpoint::reapFinished() {
    std::lock_guard lock(workersMutex_);
    for (auto it = workers_.begin(); it != workers_.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace vantrok::sim::tds
