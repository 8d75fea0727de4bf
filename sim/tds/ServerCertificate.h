#pragma once

#include <string>

namespace vantrok::sim::tds {

// The file in a station folder that holds the endpoint's private key and its
// certificate (PEM, key first).
std::string certificateFile(const std::string& stationDir);

// Makes the file unless it is there: an RSA key and a certificate signed by
// itself for "localhost" and 127.0.0.1, as SQL Server makes one for itself
// when it is given none. Written aside and renamed into place, so endpoints
// starting together never read half a file. Throws std::runtime_error.
void makeCertificateUnlessPresent(const std::string& file);

}  // namespace vantrok::sim::tds
