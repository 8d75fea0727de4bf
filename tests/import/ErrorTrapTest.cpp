#include <gtest/gtest.h>

#include <stdexcept>

#include "db/DatabaseError.h"
#include "fakes/CollectingTrace.h"
#include "import/ErrorTrap.h"
#include "import/ValueError.h"

namespace vantrok {
namespace {

db::DatabaseError databaseError(std::vector<db::Diagnostic> records) {
    return db::DatabaseError("executing statement", std::move(records));
}

TEST(BreaksConnection, LooksAtEveryRecordForClass08OrATimeOut) {
    EXPECT_TRUE(breaksConnection(databaseError({{"08S01", 0, "Communication link failure"}})));
    EXPECT_TRUE(breaksConnection(
        databaseError({{"01000", 10054, "ConnectionWrite (send())."}, {"08S01", 11, "General network error."}})));
    EXPECT_TRUE(breaksConnection(databaseError({{"HYT00", 0, "Query timeout expired"}})));
    EXPECT_FALSE(breaksConnection(databaseError({{"42S02", 208, "Invalid object name 'd9_tank'."}})));
    EXPECT_FALSE(breaksConnection(databaseError({{"22018", 245, "Conversion failed"}, {"01000", 0, "08 days"}})));
    EXPECT_FALSE(breaksConnection(ValueError("Invalid use of Null: Pump_ID")));
    EXPECT_FALSE(breaksConnection(std::domain_error("division by zero")));
}

TEST(ErrorTrap, TracesWorkDeliveryStateAndMessageOfEachError) {
    testing::CollectingTrace trace;
    ErrorTrap trap(trace);
    EXPECT_TRUE(trap.clean());

    trap.caught("GET_VANTROK_DATA", "42",
                databaseError({{"01000", 0, "ConnectionRead"}, {"08S01", 0, "Communication link failure"}}));
    trap.caught("GET_OFFLINE_DATA", "7", ValueError("Invalid use of Null: S_Hose_ID"));
    trap.caught("SYNX_TWO_DB", {}, databaseError({{"42000", 2812, "Could not find stored procedure"}}));

    EXPECT_FALSE(trap.clean());
    ASSERT_EQ(trace.lines.size(), 3u);
    EXPECT_EQ(trace.lines[0],
              "GET_VANTROK_DATA Delivery_ID 42: SQLSTATE 01000 ConnectionRead: SQLSTATE 08S01 "
              "Communication link failure (executing statement)");
    EXPECT_EQ(trace.lines[1], "GET_OFFLINE_DATA Delivery_ID 7: Invalid use of Null: S_Hose_ID");
    EXPECT_EQ(trace.lines[2],
              "SYNX_TWO_DB: SQLSTATE 42000 Could not find stored procedure (executing statement)");
}

}  // namespace
}  // namespace vantrok
