#include "sim/tds/ServerCertificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace vantrok::sim::tds {

namespace {

// Long enough for any test station; a station is made and thrown away.
constexpr long validDays = 3650;

template <auto Free>
struct Deleter {
    template <class T>
    void operator()(T* p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Deleter<X509_free>>;
using Extension = std::unique_ptr<X509_EXTENSION, Deleter<X509_EXTENSION_free>>;
using File = std::unique_ptr<BIO, Deleter<BIO_free_all>>;

void addExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    Extension extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value));
    if (!extension || X509_add_ext(certificate, extension.get(), -1) != 1)
        throw std::runtime_error(std::string("cannot add the certificate extension ") + value);
}

Certificate selfSigned(EVP_PKEY* key) {
    Certificate certificate(X509_new());
    X509_set_version(certificate.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), static_cast<long>(::getpid()) ^ ::time(nullptr));
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -86400);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), validDays * 86400);
    X509_set_pubkey(certificate.get(), key);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
    X509_set_issuer_name(certificate.get(), name);
    // Its own authority, so a client may trust it by naming this file.
    addExtension(certificate.get(), NID_basic_constraints, "critical,CA:TRUE");
    addExtension(certificate.get(), NID_key_usage, "critical,digitalSignature,keyEncipherment,keyCertSign");
    addExtension(certificate.get(), NID_ext_key_usage, "serverAuth");
    addExtension(certificate.get(), NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
    if (X509_sign(certificate.get(), key, EVP_sha256()) == 0) throw std::runtime_error("cannot sign the certificate");
    return certificate;
}

}  // namespace

std::string certificateFile(const std::string& stationDir) { return stationDir + "/tls.pem"; }

void makeCertificateUnlessPresent(const std::string& file) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) return;
    Key key(EVP_RSA_gen(2048));
    if (!key) throw std::runtime_error("cannot make an RSA key");
    Certificate certificate = selfSigned(key.get());
    const std::string next = file + "." + std::to_string(::getpid()) + ".new";
    {
        File out(BIO_new_file(next.c_str(), "w"));
        if (!out) throw std::runtime_error("cannot write " + next);
        std::filesystem::permissions(next, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        if (PEM_write_bio_PrivateKey(out.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1 ||
            PEM_write_bio_X509(out.get(), certificate.get()) != 1 || BIO_flush(out.get()) != 1)
            throw std::runtime_error("cannot write " + next);
    }
    std::filesystem::rename(next, file);
}

}  // namespace vantrok::sim::tds
