#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "sim/engine/Logins.h"
#include "sim/station/FreeTdsRoad.h"
#include "sim/station/StationCommand.h"
#include "tests/support/TestStation.h"

namespace vantrok::sim::station {
namespace {

struct Result {
    int code;
    std::string out;
    std::string err;
};

class StationCommandTest : public ::testing::Test {
protected:
    Result run(std::vector<std::string> args) {
        std::ostringstream out, err;
        std::atomic<bool> stop{false};
        int code = runStationCommand(args, "/opt/driver.so", out, err, stop);
        return {code, out.str(), err.str()};
    }

    // A delivery command on this station with the required values and extra arguments.
    Result delivery(std::vector<std::string> extra) {
        std::vector<std::string> args = {"delivery", station.dir(), "--type", "6", "--volume", "20", "--price",
                                         "1.459", "--value", "29.18"};
        args.insert(args.end(), extra.begin(), extra.end());
        return run(args);
    }

    testing::TestStation station;
};

TEST_F(StationCommandTest, BadArgumentsAreNamedAndExitWithTwo) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    std::string dir = station.dir();
    for (const Case& c : std::vector<Case>{
             {{}, "usage:"},
             {{"launch", dir}, "unknown command 'launch'"},
             {{"sales"}, "sales takes a station folder DIR"},
             {{"delivery", dir, "--pump", "1", "--hose", "1"}, "--type is required"},
             {{"delivery", dir, "--type", "6", "--pump", "1"}, "--pump and --hose (or --hose-id) are required"},
             {{"delivery", dir, "--type", "6x"}, "--type takes a whole number, not '6x'"},
             {{"delivery", dir, "--type", "6", "--hose-id", "3", "--pump", "1"}, "not both"},
             {{"delivery", dir, "--type", "6", "--uncleared", "--uncleared"}, "--uncleared is given twice"},
             {{"delivery", dir, "--type", "6", "--id"}, "--id needs a value"},
             {{"sales", dir, "--all"}, "unknown argument '--all'"},
             {{"fault", dir, "proc-fails", "maybe"}, "fault proc-fails takes on or off, not 'maybe'"},
             {{"fault", dir, "slow", "on"}, "unknown fault 'slow'"},
             {{"fault", dir, "backup-seconds", "-1"}, "backup-seconds takes a whole number"},
             {{"traffic", dir, "--every", "0"}, "--every takes a number of seconds greater than 0"},
             {{"hose", dir, "--pump", "1", "--hose", "1"}, "give --fuel CODE or --null-fuel"},
             {{"sql", dir, "torvane"}, "sql takes DIR DATABASE"},
             {{"register", dir, "--port", "1433"}, "--port goes with --freetds"},
             {{"serve", dir, "--port", "70000"}, "--port takes a port number"},
             {{"exec", dir, "ls"}, "exec takes DIR -- COMMAND"},
             {{"login", "add", dir, "pos", "--grant", "station"}, "give --password P or --password-stdin"},
             {{"login", "add", dir, "pos", "--password", "x"}, "--grant is required"},
             {{"login", "add", dir, "pos", "--password", "x", "--grant", "DELETE:torvane.D17_DailySale"},
              "no permission DELETE"},
             {{"login", "add", dir, "sa", "--password", "x", "--grant", "station"}, "sa is the station's own login"},
         }) {
        Result r = run(c.args);
        EXPECT_EQ(r.code, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    Result r = delivery({"--pump", "1", "--hose", "1", "--cleared", "2016-11-25 10:00:00", "--uncleared"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--cleared or --uncleared"), std::string::npos);
}

TEST_F(StationCommandTest, AddsALoginWithTheRightsGivenAndThePasswordFromInput) {
    std::istringstream input("from input\r\n");
    std::streambuf* keyboard = std::cin.rdbuf(input.rdbuf());
    Result r = run({"login", "add", station.dir(), "pos", "--password-stdin", "--grant", "station", "--without",
                    "EXECUTE:torvane.SYNX_TWO_DB_TO_BK1_BK2,SELECT:enablerdb.Hoses"});
    std::cin.rdbuf(keyboard);
    ASSERT_EQ(r.code, 0) << r.err;
    std::optional<LoginRights> rights = authenticate(station.dir(), "pos", "from input");
    ASSERT_TRUE(rights);
    EXPECT_TRUE(rights->has(Permission::Execute, "torvane", "INS_UPD_D17_DailySale1"));
    EXPECT_FALSE(rights->has(Permission::Execute, "torvane", "SYNX_TWO_DB_TO_BK1_BK2"));
    EXPECT_FALSE(rights->has(Permission::Select, "enablerdb", "Hoses"));
    EXPECT_TRUE(rights->has(Permission::Select, "enablerdb", "Hose_Delivery"));

    r = run({"login", "add", station.dir(), "audit", "--password", "pw", "--grant", "select:torvane.d10_hose"});
    ASSERT_EQ(r.code, 0) << r.err;
    rights = authenticate(station.dir(), "AUDIT", "pw");
    ASSERT_TRUE(rights);
    EXPECT_FALSE(rights->hasUser("enablerdb"));
    EXPECT_TRUE(authenticate(station.dir(), "pos", "from input"));  // the other login stays
}

TEST_F(StationCommandTest, RequestsTheStationCannotCarryOutExitWithOne) {
    struct Case {
        std::vector<std::string> extra;
        std::string message;
    };
    for (const Case& c : std::vector<Case>{
             {{"--pump", "9", "--hose", "1"}, "pump 9 has no hose 1"},
             {{"--pump", "1", "--hose", "1", "--completed", "25-Nov-2016"}, "--completed: '25-Nov-2016' is no date-time"},
             {{"--pump", "1", "--hose", "1", "--meter-volume", "x", "--meter-value", "1"}, "'x' is no decimal number"},
             {{"--pump", "1", "--hose", "1", "--meter-volume", "1"}, "go together"},
         }) {
        Result r = delivery(c.extra);
        EXPECT_NE(r.code, 0) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(delivery({"--pump", "1", "--hose", "1", "--id", "5"}).code, 0);
    Result taken = delivery({"--pump", "1", "--hose", "1", "--id", "5"});
    EXPECT_EQ(taken.code, 1);
    EXPECT_NE(taken.err.find("Delivery_ID 5 is already recorded"), std::string::npos);
    Result volume = run({"delivery", station.dir(), "--type", "6", "--pump", "1", "--hose", "1", "--volume",
                      "1234567890.5", "--price", "1", "--value", "1"});
    EXPECT_EQ(volume.code, 1);
    EXPECT_NE(volume.err.find("does not fit decimal(12,3)"), std::string::npos) << volume.err;
    EXPECT_EQ(run({"init", station.dir()}).code, 1);  // never over an existing station
    EXPECT_EQ(run({"sales", station.dir() + "/nothing"}).code, 1);
    EXPECT_EQ(station.sql("enablerdb", "SELECT count(*) FROM Hose_Delivery"), "1\n");
}

TEST_F(StationCommandTest, RecordsDeliveriesWithGrowingMeters) {
    EXPECT_EQ(delivery({"--pump", "2", "--hose", "3"}).out, "1\n");
    EXPECT_EQ(delivery({"--pump", "2", "--hose", "3", "--completed", "2016-11-25 17:42:30", "--uncleared"}).out, "2\n");
    EXPECT_EQ(delivery({"--hose-id", "99", "--id", "40"}).out, "40\n");
    EXPECT_EQ(run({"delivery", station.dir(), "--type", "14", "--pump", "1", "--hose", "2", "--volume", "null",
                   "--price", "1.5", "--value", "null", "--meter-volume", "100", "--meter-value", "null"})
                  .out,
              "41\n");
    EXPECT_EQ(station.sql("enablerdb",
                          "SELECT Delivery_ID, Hose_ID, Delivery_Type, Delivery_Volume, Delivery_Value, "
                          "Hose_Meter_Volume, Hose_Meter_Value FROM Hose_Delivery ORDER BY Delivery_ID"),
              "1\t6\t6\t20.000\t29.18\t20.000\t29.18\n"
              "2\t6\t6\t20.000\t29.18\t40.000\t58.36\n"
              "40\t99\t6\t20.000\t29.18\t20.000\t29.18\n"
              "41\t2\t14\tNULL\tNULL\t100.000\tNULL\n");
    // Cleared when completed unless told otherwise.
    EXPECT_EQ(station.sql("enablerdb", "SELECT Delivery_ID FROM Hose_Delivery WHERE Cleared_Date_Time IS NOT Completed_TS"),
              "2\n");
    EXPECT_EQ(station.sql("enablerdb", "SELECT Completed_TS, Cleared_Date_Time FROM Hose_Delivery WHERE Delivery_ID = 2"),
              "2016-11-25 17:42:30.000\tNULL\n");
}

TEST_F(StationCommandTest, PrintsSalesLogAndFaults) {
    station.sql("torvane",
                "INSERT INTO D17_DailySale (VocNo, S_Date, CustCode, Remarks, Delivery_ID) "
                "VALUES ('INV/C9/251116/1', '2016-11-25 10:00:00.000', '', 'a,\"b\"', 7)");
    Result sales = run({"sales", station.dir()});
    EXPECT_EQ(sales.code, 0);
    EXPECT_EQ(sales.out.substr(0, sales.out.find('\n')),
              "VocNo,S_Date,CustCode,FuelTypeCode,Pump_No,UserName,ShiftNo,SaleType,PayMode,Qty_Gallons,Rate,Amount,"
              "Discount,Tax,Remarks,Qty_Litres,Delivery_ID,Hose_No,Meter_Volume,Meter_Value,Posted,Printed,"
              "Cancelled,Exported");
    EXPECT_NE(sales.out.find("\nINV/C9/251116/1,2016-11-25 10:00:00.000,\"\",,,,,,,,,,,,\"a,\"\"b\"\"\",,7,,"),
              std::string::npos)
        << sales.out;
    EXPECT_EQ(station.sales().at(0).at("Remarks"), "a,\"b\"");

    std::ofstream(station.dir() + "/statements.log") << "torvane\tselect\\t1\\nfrom x\n";
    EXPECT_EQ(run({"log", station.dir()}).out, "torvane\tselect\\t1\\nfrom x\n");

    EXPECT_EQ(run({"fault", station.dir(), "backup-seconds", "12"}).code, 0);
    EXPECT_EQ(run({"fault", station.dir(), "refuse-connections", "on"}).code, 0);
    EXPECT_EQ(run({"fault", station.dir(), "hold-after-sale", "on"}).code, 0);
    EXPECT_EQ(run({"fault", station.dir()}).out,
              "refuse-connections on\nbreak-connections off\nproc-fails off\nbackup-fails off\nbackup-seconds 12\n"
              "hold-after-sale on\n"
              "clock off\n");
}

TEST_F(StationCommandTest, RegistersTheStationForUnixOdbc) {
    Result missing = run({"register", station.dir()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("no ODBC driver at /opt/driver.so"), std::string::npos) << missing.err;
    std::string driver = station.dir() + "/driver.so";
    std::ofstream(driver) << "x";
    ASSERT_EQ(run({"register", station.dir(), "--trace", "--driver", driver}).code, 0);
    std::ifstream in(station.dir() + "/odbcinst.ini");
    std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(ini.find("[sql server]\n"), std::string::npos);
    EXPECT_NE(ini.find("\nDriver=" + driver + "\n"), std::string::npos);
    EXPECT_NE(ini.find("\nStation=" + station.dir() + "\n"), std::string::npos);
    EXPECT_NE(ini.find("\nTrace=Yes\n"), std::string::npos);
}

TEST_F(StationCommandTest, RegistersFreeTdsForTheStationsPort) {
    std::string driver = station.dir() + "/libtdsodbc.so";
    std::ofstream(driver) << "x";
    ASSERT_EQ(run({"register", station.dir(), "--freetds", "--port", "14330", "--driver", driver}).code, 0);
    std::ifstream in(station.dir() + "/odbcinst.ini");
    std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(ini.find("[sql server]\n"), std::string::npos);
    EXPECT_NE(ini.find("\nDriver=" + driver + "\n"), std::string::npos);
    EXPECT_EQ(ini.find("Station="), std::string::npos) << "FreeTDS reaches the station by its port";
    EXPECT_EQ(registeredTdsPort(station.dir()), std::optional<std::uint16_t>(14330));
    // A registration of the station's own driver names no port.
    ASSERT_EQ(run({"register", station.dir(), "--driver", driver}).code, 0);
    std::filesystem::remove(station.dir() + "/freetds.conf");
    EXPECT_EQ(registeredTdsPort(station.dir()), std::nullopt);
}

TEST_F(StationCommandTest, TrafficRecordsDeliveriesOfBothKinds) {
    Result r = run({"traffic", station.dir(), "--every", "0.001", "--count", "40", "--seed", "7"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 40);
    EXPECT_EQ(station.sql("enablerdb",
                          "SELECT count(DISTINCT Delivery_Type), count(*) FROM Hose_Delivery "
                          "WHERE Delivery_Value = printf('%.2f', Delivery_Volume * Del_Sell_Price + 0.0000001)"),
              "2\t40\n");
    // Each hose's meter grows by each delivery's volume.
    EXPECT_EQ(station.sql("enablerdb",
                          "SELECT count(*) FROM Hose_Delivery d WHERE CAST(Hose_Meter_Volume AS REAL) - "
                          "(SELECT ifnull(sum(CAST(Delivery_Volume AS REAL)), 0) FROM Hose_Delivery e "
                          "WHERE e.Hose_ID = d.Hose_ID AND e.Delivery_ID <= d.Delivery_ID) > 0.0005"),
              "0\n");
}

}  // namespace
}  // namespace vantrok::sim::station
