#include "db/Connection.h"

#include <gtest/gtest.h>

#include "HandleCount.h"
#include "SqliteOdbc.h"

using vantrok::db::Connection;
using vantrok::db::DatabaseError;
using vantrok::test::liveHandles;
using vantrok::test::SqliteOdbc;

namespace {

DatabaseError openFailure(const std::string& text) {
    Connection c;
    try {
        c.open(text);
    } catch (const DatabaseError& e) {
        EXPECT_FALSE(c.isOpen());
        EXPECT_EQ(c.connectionText(), text);  // kept for a retry
        return e;
    }
    ADD_FAILURE() << "opened: " << text;
    return DatabaseError("", {});
}

class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { SqliteOdbc::folder(); }
};

TEST_F(ConnectionTest, AConnectionThatCannotOpenRaisesTheDriverManagersState) {
    auto unknownSource = openFailure("DSN=no such source");
    EXPECT_TRUE(unknownSource.hasState("IM002")) << unknownSource.what();

    // unixODBC names the missing driver library in a 01000 record.
    auto unknownDriver = openFailure("driver=no such driver;database=x");
    ASSERT_FALSE(unknownDriver.records().empty());
    EXPECT_EQ(unknownDriver.records().front().sqlstate, "01000");
    EXPECT_NE(std::string(unknownDriver.what()).find("no such driver"), std::string::npos);

    auto badDatabase = openFailure(SqliteOdbc::connectionText("/no/such/folder/x.sqlite"));
    ASSERT_NE(badDatabase.primary(), nullptr);
    EXPECT_EQ(badDatabase.primary()->sqlstate, "HY000") << badDatabase.what();
    EXPECT_EQ(badDatabase.context(), "connecting");

    EXPECT_EQ(liveHandles(SQL_HANDLE_ENV), 0);
    EXPECT_EQ(liveHandles(SQL_HANDLE_DBC), 0);
}

TEST_F(ConnectionTest, ReopenStartsFromFreshHandlesAndCloseReleasesThem) {
    const std::string text = SqliteOdbc::newDatabase();
    Connection c;
    c.open(text);
    c.execute("create table t(a integer)");
    c.open(text);
    EXPECT_TRUE(c.isOpen());
    EXPECT_EQ(c.connectionText(), text);
    EXPECT_EQ(liveHandles(SQL_HANDLE_DBC), 1);
    EXPECT_EQ(liveHandles(SQL_HANDLE_ENV), 1);
    c.execute("insert into t values(1)");  // the reopened connection works

    Connection other;
    other.open(text);
    c = std::move(other);  // the connection it held goes away cleanly
    EXPECT_EQ(liveHandles(SQL_HANDLE_DBC), 1);

    c.close();
    c.close();
    EXPECT_FALSE(c.isOpen());
    EXPECT_EQ(liveHandles(SQL_HANDLE_DBC), 0);
    EXPECT_EQ(liveHandles(SQL_HANDLE_ENV), 0);
}

TEST_F(ConnectionTest, WorkOnAClosedConnectionRaisesConnectionNotOpen) {
    Connection c;
    try {
        c.execute("select 1");
        FAIL() << "executed without a connection";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.hasState("08003"));
    }
}

TEST_F(ConnectionTest, AFailingStatementRaisesItsStateAndLeaksNothing) {
    Connection c;
    c.open(SqliteOdbc::newDatabase());
    for (int i = 0; i < 200; ++i) {
        try {
            c.execute("select * from no_such_table");
            FAIL() << "a missing table was read";
        } catch (const DatabaseError& e) {
            ASSERT_NE(e.primary(), nullptr);
            EXPECT_EQ(e.primary()->sqlstate, "HY000");
            EXPECT_NE(e.primary()->message.find("no such table"), std::string::npos);
            EXPECT_NE(e.context().find("select * from no_such_table"), std::string::npos);
        }
        EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 1);  // the one kept for reuse
    }
    c.execute("create table t(a integer)");  // the connection is still usable
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 1);
    c.close();
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 0);
}

}  // namespace
