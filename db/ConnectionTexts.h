#pragma once

#include <string>
#include <string_view>

namespace vantrok::db {

// Both databases live on the station's local server under the one login.
inline std::string salesConnectionText(std::string_view dbPassword) {
    return "driver=sql server;uid=sa;password=" + std::string(dbPassword) +
           ";server=(LOCAL);database=torvane";
}

inline std::string controllerConnectionText(std::string_view dbPassword) {
    return "driver=sql server;uid=sa;password=" + std::string(dbPassword) +
           ";server=(LOCAL);database=enablerdb";
}

}  // namespace vantrok::db
