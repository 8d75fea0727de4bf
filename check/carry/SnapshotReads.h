#pragma once

#include "import/Bridge.h"

namespace vantrok::check {

// Whether the sales database has READ_COMMITTED_SNAPSHOT on: its readers
// then read the last committed sales without waiting for carry's table
// lock. Throws db::DatabaseError.
bool salesReadCommittedSnapshot(Bridge& bridge);

}  // namespace vantrok::check
