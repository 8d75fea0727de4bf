#include "import/DailySaleWrite.h"

#include <string>

#include "import/DateText.h"
#include "import/FuelType.h"
#include "import/InvoiceNumber.h"
#include "import/NumberText.h"
#include "import/ValueText.h"

namespace vantrok {

db::Value gallonsText(const db::Value& volume, double gallonFactor) {
    if (db::isNull(volume)) return db::Null{};
    return fourDecimalsText(valueDecimal(volume, "Delivery_Volume").toDouble() / gallonFactor);
}

std::int32_t offlineUnitPrice(const db::Value& value, const db::Value& volume) {
    return db::Decimal::divideRoundHalfEven(valueDecimal(value, "Delivery_Value"),
                                            valueDecimal(volume, "Delivery_Volume"));
}

void WRITE_DAILY_SALE(Bridge& bridge, const db::Fields& row, ImportKind kind) {
    db::StoredProcedure& command = bridge.saleWriteCommand();
    command.setConnection(bridge.salesConnection);

    SaleValues values;
    const auto set = [&](std::size_t position, db::Value value) {
        command.setParameter(position, value);
        values[position - 1] = std::move(value);
    };
    const db::Value& completed = row.field("Completed_TS");
    set(1, Generate_Invoice_No(bridge.salesConnection,
                               dateTimeText(valueDateTime(completed, "Completed_TS"))));
    set(2, completed);
    set(3, std::string());
    // Both must be text before the lookup is asked: a delivery without a hose row fails here.
    const std::string pump = valueText(row.field("Pump_ID"), "Pump_ID");
    const std::string hose = valueText(row.field("S_Hose_ID"), "S_Hose_ID");
    set(4, get_fueltypecode(bridge.salesConnection, pump, hose));
    set(5, row.field("Pump_ID"));
    set(6, std::string("Admin"));
    set(7, std::string("1"));
    set(8, std::string(kind == ImportKind::Live ? "1" : "7"));
    set(9, std::string("9"));
    set(10, gallonsText(row.field("Delivery_Volume"), bridge.gallonFactor));
    if (kind == ImportKind::Live) {
        set(11, row.field("Del_Sell_Price"));
    } else {
        set(11, std::int64_t{offlineUnitPrice(row.field("Delivery_Value"), row.field("Delivery_Volume"))});
    }
    set(12, row.field("Delivery_Value"));
    set(13, std::string("0"));
    set(14, std::string("0"));
    set(15, std::string());
    set(16, row.field("Delivery_Volume"));
    set(17, row.field("Delivery_ID"));
    set(18, row.field("S_Hose_ID"));
    set(19, row.field("Hose_Meter_Volume"));
    set(20, row.field("Hose_Meter_Value"));
    for (std::size_t position = 21; position <= dailySalePositions; ++position) {
        set(position, std::string("0"));
    }
    command.execute();
    bridge.saleWritten(kind, values);
}

}  // namespace vantrok
