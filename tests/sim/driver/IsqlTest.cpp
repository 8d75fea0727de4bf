#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/sim/driver/OdbcClient.h"
#include "tests/support/StationTest.h"

namespace vantrok::testing {
namespace {

// unixODBC's isql in a process of its own, reading one statement. isql is an
// ODBC 2 client: the driver manager shows 42000 as 37000 to it.
class Isql : public StationTest {
protected:
    // arguments: "-k 'CONNECTION TEXT'" or "DSN UID PASSWORD". iniFolder
    // replaces the registration this test process made.
    std::string run(const std::string& arguments, const std::string& statement,
                    const std::string& iniFolder = "") {
        const std::string input = station.dir() + "/isql-input.sql";
        std::ofstream(input) << statement << "\n";
        std::string command = "isql " + arguments + " -b -v < '" + input + "' 2>&1";
        if (!iniFolder.empty()) command = "ODBCSYSINI='" + iniFolder + "' " + command;
        std::string output;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return "cannot run isql";
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        ::pclose(pipe);
        return output;
    }

    // A registration of the driver of its own, in a folder of the station.
    std::string ownRegistration(const std::string& driverSection, const std::string& dataSources) {
        const std::string folder = station.dir() + "/own-ini";
        std::filesystem::create_directory(folder);
        std::ofstream(folder + "/odbcinst.ini")
            << "[sql server]\nDriver=" << VANTROK_SIM_ODBC_DRIVER << "\n" << driverSection;
        std::ofstream(folder + "/odbc.ini") << dataSources;
        return folder;
    }

    const std::string salesArguments = std::string("-k '") + salesText + "'";
};

TEST_F(Isql, RunsTheBackupStatement) {
    const std::string output = run(salesArguments, "EXEC SYNX_TWO_DB_TO_BK1_BK2");
    EXPECT_NE(output.find("SQLRowCount returns -1"), std::string::npos) << output;
    EXPECT_EQ(output.find("ERROR"), std::string::npos) << output;
    const auto statements = station.statements("torvane");
    ASSERT_FALSE(statements.empty());
    EXPECT_EQ(statements.back(), "EXEC SYNX_TWO_DB_TO_BK1_BK2");
}

TEST_F(Isql, GetsTheSyntaxErrorForAnyOtherStatement) {
    const std::string output = run(salesArguments, "select * from D17_DailySale");
    EXPECT_NE(output.find("[37000][vantrok][sim odbc][SQL Server]Incorrect syntax near"),
              std::string::npos)
        << output;
}

TEST_F(Isql, ShowsTheRowOfTheInvoiceQuery) {
    const std::string output = run(
        salesArguments,
        "select 'INV/'+'C9/',ISNULL(MAX(CAST(REVERSE(LEFT(REVERSE(VocNo), "
        "CHARINDEX('/',REVERSE(VocNo))-1)) AS INT)),0)+1 from D17_DailySale where "
        "CAST(RTRIM(LTRIM(CAST(DAY(S_Date) AS CHAR(2))))+'-'+CAST(DATENAME(MONTH,S_Date) AS CHAR(3))"
        "+'-'+CAST(YEAR(S_Date) AS CHAR(4)) AS DATETIME)='25-Nov-2016' AND LEFT(VocNo,6)='INV/C9'");
    EXPECT_NE(output.find("| INV/C9/"), std::string::npos) << output;
    EXPECT_NE(output.find("1 rows fetched"), std::string::npos) << output;
}

TEST_F(Isql, DriverWithoutAStationRefusesToConnect) {
    const std::string folder = ownRegistration("", "");
    const std::string output = run(salesArguments, "EXEC SYNX_TWO_DB_TO_BK1_BK2", folder);
    EXPECT_NE(output.find("[08001][vantrok][sim odbc]No station folder is configured for driver "
                          "'sql server'"),
              std::string::npos)
        << output;
    EXPECT_TRUE(station.statements("torvane").empty());
}

TEST_F(Isql, DataSourceReachesTheStationOfItsDriver) {
    const std::string folder =
        ownRegistration("Station=" + station.dir() + "\n",
                        "[station]\nDriver=sql server\nServer=(LOCAL)\nDatabase=torvane\n");
    const std::string output =
        run("station sa qolvent4719ruk", "EXEC SYNX_TWO_DB_TO_BK1_BK2", folder);
    EXPECT_EQ(output.find("ERROR"), std::string::npos) << output;
    const auto statements = station.statements("torvane");
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0], "EXEC SYNX_TWO_DB_TO_BK1_BK2");
}

}  // namespace
}  // namespace vantrok::testing
