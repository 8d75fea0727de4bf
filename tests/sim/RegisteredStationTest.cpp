#include <sql.h>
#include <sqlext.h>

#include <string>

#include "tests/support/StationTest.h"

namespace vantrok::testing {
namespace {

// Connects through the real driver manager with the program's connection text
// and fetches the first column of the first row of one statement.
std::string firstValue(const std::string& database, const std::string& sql) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    std::string result = "no connection";
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string text = "driver=sql server;uid=sa;PWD=qolvent4719ruk;server=(LOCAL);database=" + database;
    if (SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr, 0,
                                       nullptr, SQL_DRIVER_NOPROMPT))) {
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
        char value[64] = {};
        SQLLEN length = 0;
        std::string statement = sql;
        result = "no row";
        if (SQL_SUCCEEDED(SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(statement.data()), SQL_NTS)) &&
            SQL_SUCCEEDED(SQLFetch(stmt)) &&
            SQL_SUCCEEDED(SQLGetData(stmt, 1, SQL_C_CHAR, value, sizeof value, &length)))
            result = value;
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
    } else {
        SQLCHAR state[6] = {}, message[512] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        for (SQLSMALLINT i = 1; SQL_SUCCEEDED(SQLGetDiagRec(SQL_HANDLE_DBC, dbc, i, state, &native, message,
                                                            sizeof message, &length));
             ++i)
            result += " " + std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(message);
    }
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return result;
}

const std::string fuelOfPump1Hose2 =
    "select d1.fueltypecode from D10_Hose d1 left outer join d1_fueltype d2 on d1.fueltypecode=d2.fueltypecode "
    "left outer join d9_tank d3 on d1.tank_no=d3.tank_no where d1.pump_no='1' and d1.hose_number='2'";

// Each test's station is a new folder: the driver manager must follow ODBCSYSINI
// from one test to the next within the process.
class RegisteredStationTest : public StationTest {};

TEST_F(RegisteredStationTest, ReachesItsOwnStationThroughTheDriverManager) {
    station.setHoseFuel(1, 2, "FIRST");
    EXPECT_EQ(firstValue("torvane", fuelOfPump1Hose2), "FIRST");
    EXPECT_EQ(station.statements("torvane"), std::vector<std::string>{fuelOfPump1Hose2});
}

TEST_F(RegisteredStationTest, ReachesTheNextTestsStationToo) {
    station.setHoseFuel(1, 2, "SECOND");
    EXPECT_EQ(firstValue("torvane", fuelOfPump1Hose2), "SECOND");
}

}  // namespace
}  // namespace vantrok::testing
