#pragma once

#include <sql.h>

namespace vantrok::test {

// How many ODBC handles of a type this process has allocated and not yet
// freed. The test program stands in front of the driver manager's
// SQLAllocHandle and SQLFreeHandle to count them.
long liveHandles(SQLSMALLINT type);

}  // namespace vantrok::test
