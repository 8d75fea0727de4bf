#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace vantrok::sim::tds {

class Conversation;
class TlsContext;

// A station answering TDS on 127.0.0.1: each accepted connection is a
// conversation of its own, on a thread of its own.
class Endpoint {
public:
    // Listens at once (port 0: a free one), offering TLS with the key and
    // certificate in `certificateFile` (by default the station's own), made
    // there first when it is missing. Throws std::runtime_error.
    Endpoint(std::string stationDir, std::uint16_t port, std::optional<std::string> certificateFile = std::nullopt);
    ~Endpoint();
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;

    std::uint16_t port() const { return port_; }

    // Accepts connections until `stop` is set.
    void serve(const std::atomic<bool>& stop);
    // Serves on a thread of its own until the endpoint is destroyed.
    void start();

private:
    struct Worker;
    void accept();
    void reapFinished();

    std::string stationDir_;
    std::unique_ptr<TlsContext> tls_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::uint16_t nextSpid_ = 51;
    std::mutex workersMutex_;
    std::list<std::unique_ptr<Worker>> workers_;
    std::atomic<bool> stopping_{false};
    std::thread background_;
};

}  // namespace vantrok::sim::tds
