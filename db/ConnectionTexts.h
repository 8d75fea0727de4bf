#pragma once

#include <string>
#include <string_view>

namespace vantrok::db {

// The password of the login sa. Fixed in the program, as everything else it
// needs: it reads no configuration of any kind.
inline constexpr std::string_view DbPassword = "qolvent4719ruk";

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
