#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/sim/driver/OdbcClient.h"
#include "tests/support/StationTest.h"

namespace vantrok::testing {
namespace {

class Isql : public StationTest {
protected:
    // unixODBC's isql, connecting with the sales text and reading one statement.
    std::string run(const std::string& statement) {
        const std::string input = station.dir() + "/isql-input.sql";
        std::ofstream(input) << statement << "\n";
        const std::string command =
            std::string("isql -k '") + salesText + "' -b -v < '" + input + "' 2>&1";
        std::string output;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return "cannot run isql";
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
        ::pclose(pipe);
        return output;
    }
};

TEST_F(Isql, RunsTheBackupStatement) {
    const std::string output = run("EXEC SYNX_TWO_DB_TO_BK1_BK2");
    EXPECT_NE(output.find("SQLRowCount returns -1"), std::string::npos) << output;
    EXPECT_EQ(output.find("ERROR"), std::string::npos) << output;
    const auto statements = station.statements("torvane");
    ASSERT_FALSE(statements.empty());
    EXPECT_EQ(statements.back(), "EXEC SYNX_TWO_DB_TO_BK1_BK2");
}

TEST_F(Isql, GetsTheSyntaxErrorForAnyOtherStatement) {
    // isql is an ODBC 2 client: the driver manager shows 42000 as 37000.
    const std::string output = run("select * from D17_DailySale");
    EXPECT_NE(output.find("[37000][vantrok][sim odbc][SQL Server]Incorrect syntax near"),
              std::string::npos)
        << output;
}

TEST_F(Isql, ShowsTheRowOfTheInvoiceQuery) {
    const std::string output = run(
        "select 'INV/'+'C9/',ISNULL(MAX(CAST(REVERSE(LEFT(REVERSE(VocNo), "
        "CHARINDEX('/',REVERSE(VocNo))-1)) AS INT)),0)+1 from D17_DailySale where "
        "CAST(RTRIM(LTRIM(CAST(DAY(S_Date) AS CHAR(2))))+'-'+CAST(DATENAME(MONTH,S_Date) AS CHAR(3))"
        "+'-'+CAST(YEAR(S_Date) AS CHAR(4)) AS DATETIME)='25-Nov-2016' AND LEFT(VocNo,6)='INV/C9'");
    EXPECT_NE(output.find("| INV/C9/"), std::string::npos) << output;
    EXPECT_NE(output.find("1 rows fetched"), std::string::npos) << output;
}

}  // namespace
}  // namespace vantrok::testing
