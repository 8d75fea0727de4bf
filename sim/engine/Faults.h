#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace vantrok::sim {

// The station's fault switches, kept in a small text file that every client
// re-reads when it changes.
struct FaultState {
    bool refuseConnections = false;
    bool breakConnections = false;
    // Counts the times breaking was switched on: a connection opened before
    // the latest switch is broken.
    std::int64_t breakGeneration = 0;
    bool procFails = false;
    bool backupFails = false;
    int backupSeconds = 0;
    // A daily sale's write waits right after its insert while this is on.
    bool holdAfterSale = false;
    // The server's local clock stood still at this moment
    // ("YYYY-MM-DDTHH:MM:SS"); empty: the real clock.
    std::string clock;
};

FaultState readFaults(const std::string& stationDir);

// Sets one switch ("refuse-connections", "break-connections", "proc-fails",
// "backup-fails", "hold-after-sale" take on|off; "backup-seconds" takes a number of seconds;
// "clock" takes a local moment YYYY-MM-DDTHH:MM:SS or off)
// and writes the file atomically. Throws std::invalid_argument on a bad name
// or value, std::runtime_error when the file cannot be written.
void switchFault(const std::string& stationDir, std::string_view name, std::string_view value);

// The current switches, re-read only when the file has been replaced.
class FaultMonitor {
public:
    explicit FaultMonitor(std::string stationDir);
    const FaultState& current();

private:
    std::string path_;
    std::string stationDir_;
    ino_t inode_ = 0;
    std::int64_t modified_ = -1;
    FaultState state_;
};

}  // namespace vantrok::sim
