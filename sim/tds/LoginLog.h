#pragma once

#include <string>
#include <string_view>

#include "sim/tds/Channel.h"

namespace vantrok::sim::tds {

// The station's record of the logins its endpoint accepted and how each came
// ("logins.log", one line each: database, user, then "clear", "login
// encrypted" or "session encrypted", tab-separated), so a test can tell an
// encrypted login from one in clear.
std::string loginLogFile(const std::string& stationDir);
void recordLogin(const std::string& stationDir, std::string_view database, std::string_view user,
                 Protection protection);

}  // namespace vantrok::sim::tds
