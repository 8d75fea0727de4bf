#include "db/StoredProcedure.h"

#include <gtest/gtest.h>

#include "ErrorState.h"
#include "HandleCount.h"
#include "SqliteOdbc.h"
#include "db/Connection.h"

using namespace vantrok::db;
using vantrok::test::liveHandles;
using vantrok::test::stateOf;
using vantrok::test::SqliteOdbc;

namespace {

TEST(StoredProcedure, WithoutAConnectionRaisesConnectionNotOpen) {
    StoredProcedure p("INS_UPD_D17_DailySale1");
    EXPECT_EQ(stateOf([&] { p.parameters(); }), "08003");
    EXPECT_EQ(stateOf([&] { p.setParameter(1, std::string("x")); }), "08003");
    EXPECT_EQ(stateOf([&] { p.execute(); }), "08003");
}

TEST(StoredProcedure, AProcedureTheServerDoesNotDescribeHasNoPositions) {
    Connection c;
    c.open(SqliteOdbc::newDatabase());
    StoredProcedure p("no_such_procedure");
    p.setConnection(c);
    EXPECT_TRUE(p.parameters().empty());
    EXPECT_EQ(stateOf([&] { p.setParameter(1, std::int64_t{1}); }), "07009");
    EXPECT_EQ(stateOf([&] { p.parameter(0); }), "07009");
    c.close();
    EXPECT_EQ(liveHandles(SQL_HANDLE_STMT), 0);
}

}  // namespace
