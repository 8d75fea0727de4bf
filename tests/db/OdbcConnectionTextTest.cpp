#include "db/OdbcConnectionText.h"

#include <gtest/gtest.h>

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

}  // namespace
