#pragma once

#include <cstdint>

#include "db/Fields.h"
#include "db/Value.h"
#include "import/Bridge.h"
#include "import/DailySale.h"

namespace vantrok {

// Position 10: litres divided by the GallonFactor as "0.0000" text; a null
// volume stays null.
db::Value gallonsText(const db::Value& volume, double gallonFactor);
// Position 11 of an offline sale: value divided by volume, computed exactly on
// the delivered decimals and rounded to the nearest whole number, an exact
// half to the even one. Throws for a null or zero volume, a null value, or a
// quotient beyond 32 bits.
std::int32_t offlineUnitPrice(const db::Value& value, const db::Value& volume);

// Writes the row as one daily sale through the SaleWriteCommand: the invoice
// number, then the fuel type, then the procedure, all on the SalesConnection.
// Handles no error: nothing is written unless the procedure succeeds.
void WRITE_DAILY_SALE(Bridge& bridge, const db::Fields& row, ImportKind kind);

}  // namespace vantrok
