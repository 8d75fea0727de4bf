#include "sim/engine/SaleHold.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace vantrok::sim {

namespace {

constexpr std::chrono::milliseconds switchCheck(20);

}  // namespace

std::string saleHoldFile(const std::string& stationDir) { return stationDir + "/sale-held"; }

void holdAfterSale(const std::string& stationDir, const FaultState& faults) {
    if (!faults.holdAfterSale) return;
    const std::string announcement = saleHoldFile(stationDir);
    const std::string written = announcement + ".new";
    {
        std::ofstream out(written, std::ios::trunc);
        out << ::getpid() << "\n";
    }
    // Renamed into place, so a reader never sees it half written.
    std::rename(written.c_str(), announcement.c_str());
    while (readFaults(stationDir).holdAfterSale) std::this_thread::sleep_for(switchCheck);
    std::remove(announcement.c_str());
}

}  // namespace vantrok::sim
