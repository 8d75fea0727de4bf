#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "db/OdbcConnectionText.h"
#include "db/StationLogin.h"

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

// The same texts under a station's own login, its name and password escaped
// so that any character they hold reaches the driver as it is.
inline std::string connectionText(const StationLogin& login, std::string_view database) {
    return "driver=sql server;uid=" + odbcValue(login.name) + ";password=" + odbcValue(login.password) +
           ";server=(LOCAL);database=" + std::string(database);
}

// The texts for the stored login, or today's texts without one.
inline std::string salesConnectionText(const std::optional<StationLogin>& login) {
    return login ? connectionText(*login, "torvane") : salesConnectionText(DbPassword);
}

inline std::string controllerConnectionText(const std::optional<StationLogin>& login) {
    return login ? connectionText(*login, "enablerdb") : controllerConnectionText(DbPassword);
}

}  // namespace vantrok::db
