#include "sim/station/FreeTdsRoad.h"

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sim/station/Station.h"

namespace vantrok::sim::station {

namespace {

constexpr const char* tdsVersion = "7.4";

std::string absolute(const std::string& path) { return std::filesystem::absolute(path).lexically_normal().string(); }

void writeFile(const std::string& path, const std::string& text) {
    const std::string next = path + ".new";
    {
        std::ofstream out(next, std::ios::trunc);
        out << text;
        if (!out.flush()) throw std::runtime_error("cannot write " + next);
    }
    std::filesystem::rename(next, path);
}

}  // namespace

std::string defaultFreeTdsDriver() {
#ifdef VANTROK_FREETDS_DRIVER
    return VANTROK_FREETDS_DRIVER;
#else
    return "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so";
#endif
}

void writeFreeTdsRegistration(const std::string& folder, const std::string& driverPath, std::uint16_t port,
                              bool trace) {
    const std::string dir = absolute(folder);
    writeFile(dir + "/odbcinst.ini", "[ODBC]\n"
                                     "Trace=" + std::string(trace ? "Yes" : "No") + "\n"
                                     "TraceFile=" + dir + "/odbc-trace.log\n"
                                     "\n"
                                     "[sql server]\n"
                                     "Description=FreeTDS, reaching the station over TDS\n"
                                     "Driver=" + absolute(driverPath) + "\n");
    // [global] applies to every server name, "(LOCAL)" included.
    writeFile(dir + "/freetds.conf", "[global]\n"
                                     "\ttds version = " + std::string(tdsVersion) + "\n"
                                     "\tport = " + std::to_string(port) + "\n");
}

std::optional<std::uint16_t> registeredTdsPort(const std::string& folder) {
    std::ifstream conf(folder + "/freetds.conf");
    std::string line;
    while (std::getline(conf, line)) {
        std::istringstream words(line);
        std::string key, equals;
        long port = -1;
        if (words >> key >> equals >> port && key == "port" && equals == "=" && port > 0 && port < 65536)
            return static_cast<std::uint16_t>(port);
    }
    return std::nullopt;
}

void setFreeTdsEnvironment(const std::string& folder, std::uint16_t port) {
    const std::string dir = absolute(folder);
    ::setenv("ODBCSYSINI", dir.c_str(), 1);
    ::setenv("FREETDSCONF", (dir + "/freetds.conf").c_str(), 1);
    ::setenv("TDSPORT", std::to_string(port).c_str(), 1);
    ::setenv("TDSVER", tdsVersion, 1);
}

void mapLocalToLoopback(const std::string& folder) {
    const std::string hosts = absolute(folder) + "/hosts";
    writeFile(hosts, "127.0.0.1\tlocalhost\n"
                     "127.0.0.1\t(LOCAL)\n"
                     "::1\tlocalhost ip6-localhost ip6-loopback\n");
    auto fail = [](const std::string& what) {
        return std::runtime_error(what + ": " + std::strerror(errno) +
                                  " (mapping (LOCAL) to the loopback needs root and a private mount namespace)");
    };
    if (::unshare(CLONE_NEWNS) != 0) throw fail("cannot make a private mount namespace");
    // Mounts made from here on stay inside this namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) throw fail("cannot make / private");
    if (::mount(hosts.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0) throw fail("cannot bind " + hosts);
}

}  // namespace vantrok::sim::station
