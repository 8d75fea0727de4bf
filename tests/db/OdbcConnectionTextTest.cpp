#include "db/OdbcConnectionText.h"

#include <gtest/gtest.h>

#include <optional>

#include "db/ConnectionTexts.h"

using vantrok::db::odbcConnectionText;

namespace {

TEST(OdbcConnectionText, AdosLoginKeywordsBecomeTheDriversAndTheRestStaysAsWritten) {
    EXPECT_EQ(odbcConnectionText(vantrok::db::salesConnectionText("qolvent4719ruk")),
              "driver=sql server;uid=sa;PWD=qolvent4719ruk;server=(LOCAL);database=torvane");
    EXPECT_EQ(odbcConnectionText("Driver=sql server;User ID=sa;PASSWORD=x;Server=(LOCAL);APP=till"),
              "Driver=sql server;UID=sa;PWD=x;Server=(LOCAL);APP=till");
    // Only whole keywords: a value or a longer keyword is not touched.
    EXPECT_EQ(odbcConnectionText("pwd=password;passwords=1;x=user id"), "pwd=password;passwords=1;x=user id");
    EXPECT_EQ(odbcConnectionText("password="), "PWD=");
    EXPECT_EQ(odbcConnectionText(""), "");
}

// A value ADO took in quotes may hold ';': ODBC needs it braced, or the
// driver would read the rest of it as keywords of their own.
TEST(OdbcConnectionText, QuotedValuesAreBracedForTheDriver) {
    EXPECT_EQ(odbcConnectionText("uid=sa;password='a;b''c';server=(LOCAL)"), "uid=sa;PWD={a;b'c};server=(LOCAL)");
    EXPECT_EQ(odbcConnectionText("password=\"x}y\""), "PWD={x}}y}");
}

// Without a stored login the texts are the program's own, to the byte.
TEST(OdbcConnectionText, TheStationsOwnLoginTravelsEscapedAndNoneLeavesTodaysTexts) {
    using vantrok::db::StationLogin;
    EXPECT_EQ(vantrok::db::salesConnectionText(std::optional<StationLogin>()),
              "driver=sql server;uid=sa;password=qolvent4719ruk;server=(LOCAL);database=torvane");
    EXPECT_EQ(vantrok::db::controllerConnectionText(std::optional<StationLogin>()),
              "driver=sql server;uid=sa;password=qolvent4719ruk;server=(LOCAL);database=enablerdb");
    const std::optional<StationLogin> pos = StationLogin{"pos", "a;b{c}}d"};
    EXPECT_EQ(odbcConnectionText(vantrok::db::salesConnectionText(pos)),
              "driver=sql server;uid=pos;PWD={a;b{c}}}}d};server=(LOCAL);database=torvane");
    EXPECT_EQ(odbcConnectionText(vantrok::db::controllerConnectionText(StationLogin{"st;01", "plain"})),
              "driver=sql server;uid={st;01};PWD=plain;server=(LOCAL);database=enablerdb");
    // A leading quote or blank would be read as ADO's quoting or dropped.
    EXPECT_EQ(vantrok::db::odbcValue("'quoted'"), "{'quoted'}");
    EXPECT_EQ(vantrok::db::odbcValue(" spaced"), "{ spaced}");
    EXPECT_EQ(vantrok::db::odbcValue("it's=fine"), "it's=fine");
}

TEST(OdbcConnectionText, BracedValuesPassWhole) {
    EXPECT_EQ(odbcConnectionText("password={x;y}}z};server=(LOCAL)"), "PWD={x;y}}z};server=(LOCAL)");
    EXPECT_EQ(odbcConnectionText("uid={}}};password={}"), "uid={}}};PWD={}");
    // An unclosed brace runs to the end, as the driver reads it.
    EXPECT_EQ(odbcConnectionText("password={x;y"), "PWD={x;y");
}

}  // namespace
