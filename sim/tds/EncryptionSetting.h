#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrok::sim::tds {

// What a station's endpoint says about encryption in its PRELOGIN answer.
enum class EncryptionPolicy {
    Offer,   // a certificate, encryption as the client asks (SQL Server's default)
    Refuse,  // no certificate: ENCRYPT_NOT_SUP to every client
    Force,   // SQL Server's "Force Encryption": ENCRYPT_REQ to every client
};

// Kept in the station folder's file "encryption"; absent, the station offers.
// Read at each connection, so a change applies to the next one.
EncryptionPolicy readEncryptionPolicy(const std::string& stationDir);
void writeEncryptionPolicy(const std::string& stationDir, EncryptionPolicy policy);

std::string_view policyName(EncryptionPolicy policy);
std::optional<EncryptionPolicy> policyNamed(std::string_view name);

}  // namespace vantrok::sim::tds
