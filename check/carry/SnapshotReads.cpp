#include "check/carry/SnapshotReads.h"

#include "db/ResultSet.h"
#include "import/ValueText.h"

namespace vantrok::check {

bool salesReadCommittedSnapshot(Bridge& bridge) {
    return bridge.onConnection(Link::Sales, [&] {
        db::ResultSet set = bridge.salesConnection.execute(
            "select cast(is_read_committed_snapshot_on as int) from sys.databases where name='torvane'");
        return !set.eof() && valueText(set.field(std::size_t{0}), "is_read_committed_snapshot_on") == "1";
    });
}

}  // namespace vantrok::check
