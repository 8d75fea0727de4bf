#pragma once

#include <string>
#include <string_view>

namespace vantrok::db {

// The program's connection texts are written for ADO, whose ODBC provider
// turned them into the driver's own before connecting: ODBC drivers know
// "PWD" and "UID", not ADO's "password" and "user id", and ignore what they
// do not know. This does the same: those two keywords (in any case) become
// PWD and UID; every other entry goes to the driver as it is, in its order.
// A value quoted for ADO ('...' or "...") is braced for ODBC ({...}).
std::string odbcConnectionText(std::string_view adoText);

}  // namespace vantrok::db
