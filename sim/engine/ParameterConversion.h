#pragma once

#include "sim/engine/Schema.h"
#include "sim/engine/Session.h"

namespace vantrok::sim {

// The value a procedure parameter receives from a bound client value, as SQL
// Server converts it from the bound type to the declared one; in the stored
// text form of the declared type. Throws SimError when it does not convert.
Cell convertParameter(const ParamValue& value, const ColumnDef& declared);

}  // namespace vantrok::sim
