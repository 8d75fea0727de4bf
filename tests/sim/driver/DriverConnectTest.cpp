#include <gtest/gtest.h>

#include <cstdint>

#include "sim/driver/EngineTime.h"
#include "tests/sim/driver/OdbcClient.h"
#include "tests/support/StationTest.h"

namespace vantrok::testing {
namespace {

using DriverConnect = StationTest;

std::string infoText(SQLHDBC dbc, SQLUSMALLINT type) {
    char value[256] = {};
    SQLSMALLINT length = 0;
    EXPECT_TRUE(SQL_SUCCEEDED(SQLGetInfo(dbc, type, value, sizeof value, &length)));
    return value;
}

// A login succeeds with the server's two messages, as SQL Server's driver
// hands them on.
TEST_F(DriverConnect, ExactTextsOpenBothDatabasesWithTheLoginMessages) {
    for (const std::string text : {salesText, controllerText}) {
        OdbcClient client;
        std::string completed;
        ASSERT_EQ(client.connect(text, &completed), SQL_SUCCESS_WITH_INFO) << text;
        EXPECT_EQ(completed, text);
        const std::string database = text.substr(text.rfind('=') + 1);
        const auto records = client.connectionDiagnostics();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].sqlstate, "01000");
        EXPECT_EQ(records[0].nativeError, 5701);
        EXPECT_EQ(records[0].message,
                  "[vantrok][sim odbc][SQL Server]Changed database context to '" + database + "'.");
        EXPECT_EQ(records[1].nativeError, 5703);
        EXPECT_EQ(records[1].message, "[vantrok][sim odbc][SQL Server]Changed language setting to us_english.");
        EXPECT_EQ(infoText(client.dbc(), SQL_DATABASE_NAME), database);
        EXPECT_EQ(infoText(client.dbc(), SQL_SERVER_NAME), "(LOCAL)");
    }
}

// ODBC drivers know PWD and UID; ADO's "password" is ignored with 01S00, so
// the login goes without a password and fails.
TEST_F(DriverConnect, AdosPasswordKeywordLogsInWithoutAPassword) {
    OdbcClient client;
    EXPECT_EQ(client.connect("driver=sql server;uid=sa;password=qolvent4719ruk;server=(LOCAL);database=torvane"),
              SQL_ERROR);
    std::vector<std::string> states;
    for (const auto& record : client.connectionDiagnostics()) states.push_back(record.sqlstate);
    EXPECT_EQ(states, (std::vector<std::string>{"28000", "01S00"}));
}

TEST_F(DriverConnect, AnswersWhatClientsAskOfADriver) {
    OdbcClient client;
    ASSERT_EQ(client.connect(salesText), SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(infoText(client.dbc(), SQL_DRIVER_ODBC_VER), "03.00");
    EXPECT_EQ(infoText(client.dbc(), SQL_DBMS_NAME), "SQL Server");
    EXPECT_EQ(infoText(client.dbc(), SQL_DRIVER_NAME), "libvantrok_sim_odbc.so");

    SQLUINTEGER extensions = 0;
    ASSERT_EQ(SQLGetInfo(client.dbc(), SQL_GETDATA_EXTENSIONS, &extensions, 0, nullptr), SQL_SUCCESS);
    EXPECT_TRUE(extensions & SQL_GD_ANY_ORDER);
    SQLUINTEGER cursor = 0;
    ASSERT_EQ(SQLGetInfo(client.dbc(), SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, &cursor, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(cursor, static_cast<SQLUINTEGER>(SQL_CA1_NEXT));

    // A short buffer cuts the answer and says so.
    char shortBuffer[4] = {};
    SQLSMALLINT length = 0;
    EXPECT_EQ(SQLGetInfo(client.dbc(), SQL_DBMS_NAME, shortBuffer, sizeof shortBuffer, &length),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_STREQ(shortBuffer, "SQL");
    EXPECT_EQ(length, 10);
    EXPECT_EQ(client.connectionDiagnostics().at(0).sqlstate, "01004");

    char catalog[64] = {};
    SQLINTEGER catalogLength = 0;
    ASSERT_EQ(SQLGetConnectAttr(client.dbc(), SQL_ATTR_CURRENT_CATALOG, catalog, sizeof catalog,
                                &catalogLength),
              SQL_SUCCESS);
    EXPECT_STREQ(catalog, "torvane");
}

TEST_F(DriverConnect, WrongPasswordIsALoginFailure) {
    OdbcClient client;
    EXPECT_EQ(client.connect("driver=sql server;uid=sa;PWD=wrong;server=(LOCAL);database=torvane"),
              SQL_ERROR);
    const auto records = client.connectionDiagnostics();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].sqlstate, "28000");
    EXPECT_EQ(records[0].nativeError, 18456);
    EXPECT_EQ(records[0].message, "[vantrok][sim odbc][SQL Server]Login failed for user 'sa'.");
}

TEST_F(DriverConnect, UnknownDatabaseFailsWithError4060) {
    OdbcClient client;
    EXPECT_EQ(client.connect("driver=sql server;uid=sa;PWD=qolvent4719ruk;server=(LOCAL);"
                             "database=nosuchdb"),
              SQL_ERROR);
    const auto records = client.connectionDiagnostics();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0].nativeError, 4060);
}

TEST_F(DriverConnect, RefusedConnectionsFailWith08001) {
    station.setFault("refuse-connections", "on");
    OdbcClient client;
    EXPECT_EQ(client.connect(salesText), SQL_ERROR);
    EXPECT_EQ(client.connectionDiagnostics().at(0).sqlstate, "08001");
}

TEST_F(DriverConnect, ABrokenLinkShowsInTheConnectionDeadAttribute) {
    OdbcClient client;
    ASSERT_EQ(client.connect(salesText), SQL_SUCCESS_WITH_INFO);
    station.setFault("break-connections", "on");
    OdbcStatement statement(client);
    EXPECT_EQ(statement.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2"), SQL_ERROR);
    EXPECT_EQ(statement.diagnostics().at(0).sqlstate, "08S01");
    SQLUINTEGER dead = SQL_CD_FALSE;
    ASSERT_EQ(SQLGetConnectAttr(client.dbc(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(dead, static_cast<SQLUINTEGER>(SQL_CD_TRUE));
}

TEST_F(DriverConnect, CountsTheEngineTimeOnlyWhileAsked) {
    OdbcClient client;
    ASSERT_EQ(client.connect(salesText), SQL_SUCCESS_WITH_INFO);
    const auto engineTime = [&] {
        SQLULEN nanoseconds = 1;
        EXPECT_EQ(SQLGetConnectAttr(client.dbc(), sim::driver::engineTimeAttribute, &nanoseconds,
                                    sizeof nanoseconds, nullptr),
                  SQL_SUCCESS);
        return nanoseconds;
    };
    const auto turn = [&](std::uintptr_t on) {
        ASSERT_EQ(SQLSetConnectAttr(client.dbc(), sim::driver::engineTimeAttribute,
                                    reinterpret_cast<SQLPOINTER>(on), 0),
                  SQL_SUCCESS);
    };
    const auto backup = [&] {
        OdbcStatement statement(client);
        ASSERT_TRUE(SQL_SUCCEEDED(statement.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2")));
    };
    backup();
    EXPECT_EQ(engineTime(), 0u);
    turn(1);
    backup();
    EXPECT_GT(engineTime(), 0u);
    turn(0);
    backup();
    EXPECT_EQ(engineTime(), 0u);
}

}  // namespace
}  // namespace vantrok::testing
