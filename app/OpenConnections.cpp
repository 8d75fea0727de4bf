#include "app/OpenConnections.h"

#include "app/ConnectRetry.h"
#include "db/DatabaseError.h"
#include "db/StationLogin.h"

namespace vantrok::app {

void OpenConnections(StartupPlatform& platform) {
    try {
        platform.openConnections();
    } catch (const db::DatabaseError& error) {
        if (db::isUnreadableStoredLogin(error) && !error.records().empty())
            platform.showMessage(error.records().front().message, std::string(ConnectRetryTitle),
                                 StoredLoginMessageStyle);
        throw;
    }
}

}  // namespace vantrok::app
