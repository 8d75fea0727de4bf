#include "sim/tds/Tls.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <stdexcept>

#include "sim/tds/Bytes.h"

namespace vantrok::sim::tds {

namespace {

std::string lastError() {
    char text[256] = "unknown TLS error";
    if (unsigned long code = ERR_get_error()) ERR_error_string_n(code, text, sizeof text);
    ERR_clear_error();
    return text;
}

}  // namespace

TlsContext::TlsContext(const std::string& keyAndCertificateFile) : context_(SSL_CTX_new(TLS_server_method())) {
    if (!context_) throw std::runtime_error("cannot make a TLS context: " + lastError());
    SSL_CTX_set_min_proto_version(context_, TLS1_VERSION);
    SSL_CTX_set_max_proto_version(context_, TLS1_2_VERSION);
    // No session tickets: nothing may follow the handshake in its PRELOGIN wrapping.
    SSL_CTX_set_options(context_, SSL_OP_NO_TICKET);
    if (SSL_CTX_use_certificate_chain_file(context_, keyAndCertificateFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context_, keyAndCertificateFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(context_) != 1) {
        const std::string reason = lastError();
        SSL_CTX_free(context_);
        throw std::runtime_error("cannot use the certificate in " + keyAndCertificateFile + ": " + reason);
    }
}

TlsContext::~TlsContext() { SSL_CTX_free(context_); }

TlsSession::TlsSession(const TlsContext& context) : ssl_(SSL_new(context.get())) {
    if (!ssl_) throw std::runtime_error("cannot start TLS: " + lastError());
    // Memory on both sides; the session owns them from here.
    SSL_set_bio(ssl_, BIO_new(BIO_s_mem()), BIO_new(BIO_s_mem()));
    SSL_set_accept_state(ssl_);
}

TlsSession::~TlsSession() { SSL_free(ssl_); }

std::string TlsSession::handshake(std::string_view fromClient) {
    BIO_write(SSL_get_rbio(ssl_), fromClient.data(), static_cast<int>(fromClient.size()));
    const int done = SSL_do_handshake(ssl_);
    if (done != 1) {
        const int error = SSL_get_error(ssl_, done);
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
            // The alert telling the client why is lost: the connection ends.
            throw ProtocolError("a TLS handshake that failed: " + lastError());
        }
    }
    return drainOutgoing();
}

bool TlsSession::established() const { return SSL_is_init_finished(ssl_) == 1; }

std::string TlsSession::open(std::string_view records) {
    BIO_write(SSL_get_rbio(ssl_), records.data(), static_cast<int>(records.size()));
    std::string plain;
    char chunk[16384];
    for (;;) {
        const int n = SSL_read(ssl_, chunk, sizeof chunk);
        if (n > 0) {
            plain.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        const int error = SSL_get_error(ssl_, n);
        if (error == SSL_ERROR_WANT_READ) return plain;
        if (error == SSL_ERROR_ZERO_RETURN) throw ProtocolError("the client closed its TLS session");
        throw ProtocolError("a TLS record that cannot be read: " + lastError());
    }
}

std::string TlsSession::seal(std::string_view plain) {
    if (!plain.empty() && SSL_write(ssl_, plain.data(), static_cast<int>(plain.size())) <= 0)
        throw ProtocolError("cannot encrypt for the client: " + lastError());
    return drainOutgoing();
}

std::string TlsSession::drainOutgoing() {
    BIO* out = SSL_get_wbio(ssl_);
    std::string bytes(static_cast<std::size_t>(BIO_ctrl_pending(out)), '\0');
    if (!bytes.empty()) BIO_read(out, bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

}  // namespace vantrok::sim::tds
