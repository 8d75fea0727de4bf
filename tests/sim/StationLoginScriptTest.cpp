#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "sim/engine/Logins.h"

namespace vantrok::sim {
namespace {

// The grants of the script, each in the database of the USE before it.
std::set<Grant> scriptGrants(const std::string& script) {
    const std::regex use(R"(^\s*USE\s+(\w+)\s*;)", std::regex::icase);
    const std::regex grant(R"(^\s*GRANT\s+(\w+)\s+ON\s+OBJECT::dbo\.(\w+)\s+TO\s+\[\$\(STATION_LOGIN\)\]\s*;)",
                           std::regex::icase);
    std::set<Grant> grants;
    std::string database;
    std::istringstream lines(script);
    std::string line;
    std::smatch m;
    while (std::getline(lines, line)) {
        if (std::regex_search(line, m, use)) database = m[1];
        else if (std::regex_search(line, m, grant)) grants.insert(parseGrant(m.str(1) + ":" + database + "." + m.str(2)));
        else EXPECT_EQ(line.find("GRANT"), std::string::npos) << "a grant the test cannot read: " << line;
    }
    return grants;
}

TEST(StationLoginScript, GrantsExactlyTheRightsTheStationGivesForIt) {
    std::ifstream in(VANTROK_STATION_LOGIN_SCRIPT);
    ASSERT_TRUE(in) << VANTROK_STATION_LOGIN_SCRIPT;
    std::stringstream script;
    script << in.rdbuf();
    const std::vector<Grant> station = stationGrants();
    EXPECT_EQ(scriptGrants(script.str()), std::set<Grant>(station.begin(), station.end()));
}

}  // namespace
}  // namespace vantrok::sim
