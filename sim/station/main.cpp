// vantrok-station: creates, feeds, inspects and breaks simulated stations.
#include <atomic>
#include <csignal>
#include <filesystem>
#include <iostream>

#include "sim/station/StationCommand.h"

namespace {

std::atomic<bool> stopRequested{false};

extern "C" void requestStop(int) { stopRequested = true; }

// The driver is built beside the tools: <bindir>/../lib.
std::string installedDriver() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path().parent_path() / "lib" / "libvantrok_sim_odbc.so").lexically_normal().string();
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    std::vector<std::string> args(argv + 1, argv + argc);
    return vantrok::sim::station::runStationCommand(args, installedDriver(), std::cout, std::cerr, stopRequested);
}
