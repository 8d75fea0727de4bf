#include "sim/tds/LoginLog.h"

#include <fcntl.h>
#include <unistd.h>

namespace vantrok::sim::tds {

namespace {

std::string_view protectionText(Protection protection) {
    switch (protection) {
    case Protection::LoginOnly: return "login encrypted";
    case Protection::Session: return "session encrypted";
    case Protection::None: break;
    }
    return "clear";
}

}  // namespace

std::string loginLogFile(const std::string& stationDir) { return stationDir + "/logins.log"; }

void recordLogin(const std::string& stationDir, std::string_view database, std::string_view user,
                 Protection protection) {
    const std::string line =
        std::string(database) + "\t" + std::string(user) + "\t" + std::string(protectionText(protection)) + "\n";
    // One short write, appended: lines of several endpoints never mix.
    const int fd = ::open(loginLogFile(stationDir).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
}

}  // namespace vantrok::sim::tds
