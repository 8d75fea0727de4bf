#include "db/StationLogin.h"

#include "db/DatabaseError.h"

namespace vantrok::db {

namespace {

constexpr const char* readingStoredLogin = "reading the station login stored on this PC";

}  // namespace

DatabaseError unreadableStoredLogin(const std::string& reason) {
    return DatabaseError(readingStoredLogin,
                         {{"28000", 0,
                           "The station login stored on this PC cannot be used (" + reason +
                               "). Set it again with \"vantrok-check login set\", or go back to the built-in login "
                               "with \"vantrok-check login clear\"."}});
}

bool isUnreadableStoredLogin(const DatabaseError& error) { return error.context() == readingStoredLogin; }

}  // namespace vantrok::db
