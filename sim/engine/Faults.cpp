#include "sim/engine/Faults.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "sim/engine/ServerClock.h"
#include "sim/engine/StationFiles.h"

namespace vantrok::sim {

namespace {

FaultState parse(std::istream& in) {
    FaultState s;
    std::string name, value;
    while (in >> name >> value) {
        bool on = value == "on";
        if (name == "refuse-connections") s.refuseConnections = on;
        else if (name == "break-connections") s.breakConnections = on;
        else if (name == "break-generation") s.breakGeneration = std::stoll(value);
        else if (name == "proc-fails") s.procFails = on;
        else if (name == "backup-fails") s.backupFails = on;
        else if (name == "backup-seconds") s.backupSeconds = std::stoi(value);
        else if (name == "hold-after-sale") s.holdAfterSale = on;
        else if (name == "clock") s.clock = value == "off" ? "" : value;
    }
    return s;
}

std::string format(const FaultState& s) {
    auto onOff = [](bool b) { return b ? "on\n" : "off\n"; };
    std::ostringstream out;
    out << "refuse-connections " << onOff(s.refuseConnections) << "break-connections " << onOff(s.breakConnections)
        << "break-generation " << s.breakGeneration << "\n"
        << "proc-fails " << onOff(s.procFails) << "backup-fails " << onOff(s.backupFails) << "backup-seconds "
        << s.backupSeconds << "\n"
        << "hold-after-sale " << onOff(s.holdAfterSale) << "clock " << (s.clock.empty() ? "off" : s.clock) << "\n";
    return out.str();
}

bool parseSwitch(std::string_view name, std::string_view value) {
    if (value == "on") return true;
    if (value == "off") return false;
    throw std::invalid_argument("fault " + std::string(name) + " takes on or off, not '" + std::string(value) + "'");
}

int parseSeconds(std::string_view value) {
    if (value == "off") return 0;
    if (value.empty() || value.size() > 6 || value.find_first_not_of("0123456789") != std::string_view::npos)
        throw std::invalid_argument("fault backup-seconds takes a whole number of seconds or off, not '" +
                                    std::string(value) + "'");
    return std::stoi(std::string(value));
}

std::string parseClock(std::string_view value) {
    const std::string moment(value);
    if (moment == "off") return "";
    if (!isClockMoment(moment))
        throw std::invalid_argument("fault clock takes a local moment YYYY-MM-DDTHH:MM:SS or off, not '" + moment + "'");
    return moment;
}

// Serialises changes from several tools; readers never take it.
class FileLock {
public:
    explicit FileLock(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) throw std::runtime_error("cannot lock " + path);
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_;
};

}  // namespace

FaultState readFaults(const std::string& stationDir) {
    std::ifstream in(faultsFile(stationDir));
    return in ? parse(in) : FaultState{};
}

void switchFault(const std::string& stationDir, std::string_view name, std::string_view value) {
    FileLock lock(faultsFile(stationDir) + ".lock");
    FaultState s = readFaults(stationDir);
    if (name == "refuse-connections") s.refuseConnections = parseSwitch(name, value);
    else if (name == "break-connections") {
        s.breakConnections = parseSwitch(name, value);
        if (s.breakConnections) ++s.breakGeneration;
    } else if (name == "proc-fails") s.procFails = parseSwitch(name, value);
    else if (name == "backup-fails") s.backupFails = parseSwitch(name, value);
    else if (name == "backup-seconds") s.backupSeconds = parseSeconds(value);
    else if (name == "hold-after-sale") s.holdAfterSale = parseSwitch(name, value);
    else if (name == "clock") s.clock = parseClock(value);
    else
        throw std::invalid_argument("unknown fault '" + std::string(name) +
                                    "' (refuse-connections, break-connections, proc-fails, backup-fails, "
                                    "backup-seconds, hold-after-sale, clock)");
    std::string path = faultsFile(stationDir);
    std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << format(s);
        if (!out.flush()) throw std::runtime_error("cannot write " + temporary);
    }
    // A rename replaces the file in one step, and gives it a new identity
    // that readers notice even within one clock tick.
    if (std::rename(temporary.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot replace " + path);
}

FaultMonitor::FaultMonitor(std::string stationDir)
    : path_(faultsFile(stationDir)), stationDir_(std::move(stationDir)) {}

const FaultState& FaultMonitor::current() {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        state_ = FaultState{};
        inode_ = 0;
        modified_ = -1;
        return state_;
    }
    std::int64_t modified = std::int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
    if (st.st_ino != inode_ || modified != modified_) {
        state_ = readFaults(stationDir_);
        inode_ = st.st_ino;
        modified_ = modified;
    }
    return state_;
}

}  // namespace vantrok::sim
