#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantrok::sim::station {

// Debian's FreeTDS ODBC driver, where the tdsodbc package puts it.
std::string defaultFreeTdsDriver();

// Registers FreeTDS as "sql server" in FOLDER: odbcinst.ini names the driver,
// freetds.conf the protocol version (7.4) and the port of the station's
// endpoint for every server name, so the connection texts stay as they are.
void writeFreeTdsRegistration(const std::string& folder, const std::string& driverPath, std::uint16_t port,
                              bool trace);

// The port a FreeTDS registration in FOLDER names; nullopt when FOLDER holds
// no FreeTDS registration.
std::optional<std::uint16_t> registeredTdsPort(const std::string& folder);

// Sets what a FreeTDS client of the registration in FOLDER reads from its
// environment: ODBCSYSINI, FREETDSCONF, TDSPORT and TDSVER.
void setFreeTdsEnvironment(const std::string& folder, std::uint16_t port);

// Makes the name "(LOCAL)", which FreeTDS looks up as a host name, mean the
// loopback for this process and the processes it starts, and for no other:
// a private mount namespace in which /etc/hosts is a file of FOLDER. Needs
// root (CAP_SYS_ADMIN); throws std::runtime_error otherwise. Call it before
// the process starts threads.
void mapLocalToLoopback(const std::string& folder);

}  // namespace vantrok::sim::station
