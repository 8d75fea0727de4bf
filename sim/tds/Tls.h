#pragma once

#include <memory>
#include <string>
#include <string_view>

// OpenSSL's own types, kept out of the headers that include this one.
struct ssl_ctx_st;
struct ssl_st;

namespace vantrok::sim::tds {

// The server's side of TLS: its certificate and key, and the protocol
// versions it takes. SQL Server speaks TLS 1.2 on TDS 7.x; TLS 1.3 only
// with TDS 8, which this server does not speak.
class TlsContext {
public:
    // Throws std::runtime_error when the file holds no usable key and certificate.
    explicit TlsContext(const std::string& keyAndCertificateFile);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    ssl_ctx_st* get() const { return context_; }

private:
    ssl_ctx_st* context_ = nullptr;
};

// One connection's TLS, fed and drained as bytes: the handshake travels in
// PRELOGIN packets, the records after it straight on the socket, so the
// channel decides where the bytes go. Throws ProtocolError when the client's
// bytes are no TLS it can take.
class TlsSession {
public:
    explicit TlsSession(const TlsContext& context);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Takes the client's handshake bytes; returns the server's answer (may be empty).
    std::string handshake(std::string_view fromClient);
    bool established() const;

    // Takes records from the client; returns the plain bytes they complete.
    std::string open(std::string_view records);
    // The records that carry `plain` to the client.
    std::string seal(std::string_view plain);

private:
    std::string drainOutgoing();

    ssl_st* ssl_ = nullptr;
};

}  // namespace vantrok::sim::tds
