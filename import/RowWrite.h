#pragma once

#include <functional>
#include <string_view>

#include "db/Fields.h"
#include "import/Bridge.h"
#include "import/DailySale.h"
#include "import/ErrorTrap.h"

namespace vantrok {

enum class RowWrite { Written, Failed, ConnectionBroken };

// Writes a selected row as one daily sale, holding up only this row when it
// fails: the error goes to the trap with the work and the row's Delivery_ID.
// A broken connection ends the caller's run.
RowWrite writeRowIsolated(Bridge& bridge, ErrorTrap& trap, const db::Fields& row, ImportKind kind,
                          std::string_view work);
// The same isolation around another way of writing the row, which uses the SalesConnection.
RowWrite isolateRowWrite(Bridge& bridge, ErrorTrap& trap, const db::Fields& row, std::string_view work,
                         const std::function<void()>& write);

}  // namespace vantrok
