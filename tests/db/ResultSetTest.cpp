#include "db/ResultSet.h"

#include <gtest/gtest.h>

#include "HandleCount.h"
#include "SqliteOdbc.h"
#include "db/Connection.h"

using namespace vantrok::db;
using vantrok::test::liveHandles;
using vantrok::test::SqliteOdbc;

namespace {

class ResultSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        connection.open(SqliteOdbc::newDatabase());
        connection.execute(
            "create table delivery(id integer, volume real, pump varchar(10), completed datetime, note text)");
        connection.execute("insert into delivery values(9, 45.5, 'three', '2016-11-25 17:42:30', null)");
        connection.execute("insert into delivery values(10, null, null, null, 'second')");
        connection.execute("insert into delivery values(100, 0.25, 'one', '2016-12-01 00:00:00', 'third')");
    }

    Connection connection;
};

TEST_F(ResultSetTest, WalksEveryRowInOrderAndEndsAtEof) {
    ResultSet rows = connection.execute("select id from delivery order by id");
    EXPECT_FALSE(rows.bof());
    std::vector<std::int64_t> ids;
    for (; !rows.eof(); rows.moveNext()) {
        EXPECT_FALSE(rows.bof());
        ids.push_back(std::get<std::int64_t>(rows.field("id")));
    }
    EXPECT_EQ(ids, (std::vector<std::int64_t>{9, 10, 100}));
    EXPECT_THROW(rows.moveNext(), DatabaseError);
    EXPECT_THROW(rows.field(std::size_t{0}), DatabaseError);
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 1);  // handed back, kept for reuse, once the rows ran out
    connection.execute("select id from delivery").moveNext();
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 1);  // and reused
    connection.close();
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 0);
}

TEST_F(ResultSetTest, ASetWithoutRowsOrColumnsIsAtBothEnds) {
    ResultSet none = connection.execute("select id from delivery where id = 0");
    EXPECT_TRUE(none.eof());
    EXPECT_TRUE(none.bof());
    EXPECT_EQ(none.columnCount(), 1u);
    EXPECT_THROW(none.field("id"), DatabaseError);

    ResultSet closed = connection.execute("update delivery set note = 'x' where id = 0");
    EXPECT_TRUE(closed.eof());
    EXPECT_TRUE(closed.bof());
    EXPECT_EQ(closed.columnCount(), 0u);
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 1);
}

TEST_F(ResultSetTest, ReadsTheCurrentRowByNameAndIndexAnyNumberOfTimes) {
    ResultSet rows = connection.execute("select pump as Pump_ID, id, note from delivery where id = 9");
    EXPECT_EQ(rows.column(0).name, "Pump_ID");
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(std::get<std::int64_t>(rows.field("ID")), 9);
        EXPECT_EQ(std::get<std::string>(rows.field("pump_id")), "three");
        EXPECT_EQ(std::get<std::string>(rows.field("PUMP_ID")), "three");
        EXPECT_EQ(std::get<std::string>(rows.field(std::size_t{0})), "three");
        EXPECT_EQ(std::get<std::int64_t>(rows.field(std::size_t{1})), 9);
        EXPECT_TRUE(isNull(rows.field("note")));
    }
    try {
        rows.field("Hose_ID");
        FAIL() << "an unknown column was read";
    } catch (const DatabaseError& e) {
        EXPECT_TRUE(e.hasState("42S22"));
    }
    EXPECT_THROW(rows.field(std::size_t{3}), DatabaseError);
    EXPECT_THROW(rows.column(3), DatabaseError);
}

TEST_F(ResultSetTest, ValuesKeepTheTypeTheDatabaseDelivered) {
    ResultSet rows = connection.execute("select id, volume, pump, completed, note from delivery order by id");
    EXPECT_EQ(rows.field("volume"), Value(45.5));
    EXPECT_EQ(rows.field("completed"), Value(DateTime{2016, 11, 25, 17, 42, 30, 0}));
    rows.moveNext();
    for (const char* column : {"volume", "pump", "completed"}) EXPECT_TRUE(isNull(rows.field(column))) << column;
    EXPECT_EQ(rows.field("note"), Value(std::string("second")));
}

TEST_F(ResultSetTest, LaterRowsOfFixedSizeColumnsComeAsTheFirstDid) {
    // No text column: the rows after the first arrive in bound buffers.
    ResultSet rows = connection.execute("select id, volume, completed from delivery order by id");
    std::vector<std::vector<Value>> read;
    for (; !rows.eof(); rows.moveNext())
        read.push_back({rows.field("id"), rows.field("volume"), rows.field("completed")});
    EXPECT_EQ(read, (std::vector<std::vector<Value>>{
                        {std::int64_t{9}, 45.5, DateTime{2016, 11, 25, 17, 42, 30, 0}},
                        {std::int64_t{10}, Null{}, Null{}},
                        {std::int64_t{100}, 0.25, DateTime{2016, 12, 1, 0, 0, 0, 0}}}));
    // The same statement, handed back and lent again, reads a set with text value by value.
    ResultSet pumps = connection.execute("select pump, id from delivery order by id desc");
    EXPECT_EQ(pumps.field("pump"), Value(std::string("one")));
    pumps.moveNext();
    EXPECT_TRUE(isNull(pumps.field("pump")));
    EXPECT_EQ(pumps.field("id"), Value(std::int64_t{10}));
}

TEST_F(ResultSetTest, ReadsLongTextWhole) {
    std::string text;
    for (int i = 0; text.size() < 20000; ++i) text += std::to_string(i) + ",";
    connection.execute("update delivery set note = '" + text + "' where id = 10");
    ResultSet rows = connection.execute("select note, id from delivery where id = 10");
    EXPECT_EQ(std::get<std::string>(rows.field("note")), text);
    EXPECT_EQ(std::get<std::int64_t>(rows.field("id")), 10);
}

TEST_F(ResultSetTest, AbandonedSetsHandBackTheirStatementsAndClosingFreesThem) {
    {
        ResultSet rows = connection.execute("select id from delivery");
        ResultSet more = connection.execute("select id from delivery");
        EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 2);
    }
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 1);  // one kept for reuse, its cursor closed
    ResultSet again = connection.execute("select id from delivery order by id");
    EXPECT_EQ(std::get<std::int64_t>(again.field("id")), 9);
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 1);
    connection.close();  // frees also the statement a set still holds
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 0);
}

}  // namespace
