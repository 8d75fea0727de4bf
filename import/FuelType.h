#pragma once

#include <string>
#include <string_view>

#include "db/Connection.h"

namespace vantrok {

// The fuel-type code of a pump's hose from the hose master, as text; the
// empty text when no hose row matches. A null code throws ValueError, a
// failing query DatabaseError. The arguments go into the statement unescaped.
std::string get_fueltypecode(db::Connection& sales, std::string_view pump_no,
                             std::string_view hose_number);

}  // namespace vantrok
