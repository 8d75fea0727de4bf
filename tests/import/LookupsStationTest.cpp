#include <gtest/gtest.h>

#include "BridgeStationTest.h"
#include "db/DatabaseError.h"
#include "import/FuelType.h"
#include "import/InvoiceNumber.h"
#include "import/ValueError.h"

namespace vantrok::testing {
namespace {

class Lookups : public BridgeStationTest {
protected:
    void addVoucher(const std::string& voucher, const std::string& sDate) {
        station.sql("torvane", "INSERT INTO D17_DailySale (VocNo, S_Date) VALUES ('" + voucher + "', '" + sDate + "')");
    }
    std::string invoice(const std::string& sdate) { return Generate_Invoice_No(bridge.salesConnection, sdate); }
    std::string fuel(const std::string& pump, const std::string& hose) {
        return get_fueltypecode(bridge.salesConnection, pump, hose);
    }
};

TEST_F(Lookups, NumbersInvoicesAsTheWorkedExamplesSay) {
    EXPECT_EQ(invoice("03-Feb-2016 08:05:09"), "INV/C9/03216/1");
    for (const char* voucher : {"INV/C9/251116/1", "INV/C9/251116/2", "INV/C9/251116/3"}) {
        addVoucher(voucher, "2016-11-25 06:00:00.000");
    }
    EXPECT_EQ(invoice("25-Nov-2016 17:42:30"), "INV/C9/251116/4");
    EXPECT_EQ(invoice("25-Nov-2016 17;42;30"), "INV/C9/251116/4");

    addVoucher("INV/C9/261116/9", "2016-11-26 00:00:00.000");
    addVoucher("INV/C9/261116/10", "2016-11-26 23:59:59.997");
    addVoucher("INV/C8/261116/50", "2016-11-26 12:00:00.000");
    addVoucher("INV/C9/271116/70", "2016-11-27 00:00:00.000");
    EXPECT_EQ(invoice("26-Nov-2016 23:59:59"), "INV/C9/261116/11");
}

TEST_F(Lookups, RefusesASdateThatIsNoDateBeforeAskingTheDatabase) {
    EXPECT_THROW(invoice("31-Nov-2016 10:00:00"), ValueError);
    EXPECT_TRUE(station.statements("torvane").empty());
}

TEST_F(Lookups, FindsTheFuelTypeOfAPumpsHose) {
    station.setHoseFuel(3, 2, "DSL");
    EXPECT_EQ(fuel("3", "2"), "DSL");
    EXPECT_EQ(fuel("3", "9"), "");

    // A hose whose tank and fuel type have no rows of their own is still found.
    station.sql("torvane", "UPDATE D10_Hose SET tank_no = 99, fueltypecode = 'NEW' WHERE pump_no = 2 AND hose_number = 1");
    EXPECT_EQ(fuel("2", "1"), "NEW");

    station.setHoseFuel(3, 2, std::nullopt);
    EXPECT_THROW(fuel("3", "2"), ValueError);
    EXPECT_THROW(fuel("3'", "2"), db::DatabaseError);
}

}  // namespace
}  // namespace vantrok::testing
