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
// A value braced by ODBC's rules ({...}, a '}' in it doubled) passes whole.
std::string odbcConnectionText(std::string_view adoText);

// A value as it may stand in a connection text: braced when it holds ';',
// '{' or '}', or when it starts with a blank or a quote that would be read
// as ADO's; as it is otherwise.
std::string odbcValue(std::string_view value);

}  // namespace vantrok::db
