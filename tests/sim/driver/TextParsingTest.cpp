#include <gtest/gtest.h>

#include "sim/driver/ConnectionText.h"
#include "sim/driver/StatementText.h"

namespace vantrok::sim::driver {
namespace {

TEST(ConnectionText, KeysIgnoreCaseAndBracesHoldAnything) {
    const ConnectionText text(
        "DRIVER={sql server};UID=sa; Password ={a;b=}}c};server=(LOCAL);database=torvane;");
    EXPECT_EQ(text.value({"driver"}), "sql server");
    EXPECT_EQ(text.value({"uid"}), "sa");
    EXPECT_EQ(text.value({"pwd", "password"}), "a;b=}c");
    EXPECT_EQ(text.value({"server"}), "(LOCAL)");
    EXPECT_EQ(text.value({"database"}), "torvane");
    EXPECT_EQ(text.value({"dsn"}), std::nullopt);
}

TEST(ConnectionText, FirstOfARepeatedKeyCounts) {
    const ConnectionText text("driver=sql server;uid=sa;pwd=one;password=two;uid=other");
    EXPECT_EQ(text.value({"uid"}), "sa");
    EXPECT_EQ(text.value({"pwd", "password"}), "one");
}

TEST(ConnectionText, ValuesKeepTheirSpacesAndEmptyValuesCount) {
    const ConnectionText text("driver=sql server;pwd=;junk;database= torvane");
    EXPECT_EQ(text.value({"pwd"}), "");
    EXPECT_EQ(text.value({"database"}), " torvane");
}

TEST(StatementText, MarkersOutsideLiteralsNamesAndComments) {
    EXPECT_EQ(countParameterMarkers("{? = call INS_UPD_D17_DailySale1(?,?,?)}"), 4u);
    EXPECT_EQ(countParameterMarkers("select '?', \"a?\", [b?] from t where x = ?"), 1u);
    EXPECT_EQ(countParameterMarkers("select 'it''s ?' , ? -- why?\n, ? /* ? */"), 2u);
    EXPECT_EQ(countParameterMarkers("select 'unterminated ?"), 0u);
    EXPECT_EQ(countParameterMarkers(""), 0u);
}

TEST(StatementText, LikePatterns) {
    EXPECT_TRUE(likeMatch("@VocNo", "%"));
    EXPECT_TRUE(likeMatch("@VocNo", "@voc%"));
    EXPECT_TRUE(likeMatch("@VocNo", "@Voc_o"));
    EXPECT_FALSE(likeMatch("@VocNo", "@Voc_"));
    EXPECT_TRUE(likeMatch("A_B", "A\\_B"));
    EXPECT_FALSE(likeMatch("AxB", "A\\_B"));
}

}  // namespace
}  // namespace vantrok::sim::driver
