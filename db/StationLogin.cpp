#include "db/StationLogin.h"

#include "db/DatabaseError.h"

namespace vantrok::db {

DatabaseError unreadableStoredLogin(const std::string& reason) {
    return DatabaseError("reading the station login stored on this PC",
                         {{"28000", 0,
                           "The station login stored on this PC cannot be used (" + reason +
                               "). Set it again with \"vantrok-check login set\", or go back to the built-in login "
                               "with \"vantrok-check login clear\"."}});
}

}  // namespace vantrok::db
