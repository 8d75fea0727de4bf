#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

namespace vantrok::sim::station {

// vantrok-station's commands. args excludes the program name; driverPath is
// what register writes unless --driver is given. Returns the exit code: 0 done,
// 1 the station refused or failed, 2 bad arguments.
int runStationCommand(const std::vector<std::string>& args, const std::string& driverPath, std::ostream& out,
                      std::ostream& err, const std::atomic<bool>& stop);

}  // namespace vantrok::sim::station
