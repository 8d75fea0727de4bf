#include "import/ToolStart.h"

#include <cstdio>
#include <string>

#include "import/GallonFactor.h"
#include "db/DatabaseError.h"

namespace vantrok {

bool startBridge(Bridge& bridge, std::string_view tool) {
    try {
        bridge.openConnections();
    } catch (const db::DatabaseError& error) {
        std::fprintf(stderr, "%s: cannot open the connections: %s\n", std::string(tool).c_str(), error.what());
        return false;
    }
    bridge.gallonFactor = GallonFactor;
    return true;
}

}  // namespace vantrok
