#include "import/FuelType.h"

#include "import/ValueText.h"

namespace vantrok {

std::string get_fueltypecode(db::Connection& sales, std::string_view pump_no,
                             std::string_view hose_number) {
    db::ResultSet hose = sales.execute(
        "select d1.fueltypecode from D10_Hose d1 left outer join d1_fueltype d2 on "
        "d1.fueltypecode=d2.fueltypecode left outer join d9_tank d3 on d1.tank_no=d3.tank_no where "
        "d1.pump_no='" +
        std::string(pump_no) + "' and d1.hose_number='" + std::string(hose_number) + "'");
    if (hose.eof() || hose.bof()) return {};
    return valueText(hose.field("fueltypecode"), "fueltypecode");
}

}  // namespace vantrok
