#include <filesystem>
#include <fstream>
#include <iterator>

#include "sim/engine/Logins.h"
#include "tests/sim/EngineTest.h"
#include "tests/sim/StatementTexts.h"

namespace vantrok::sim {
namespace {

using std::chrono::seconds;

constexpr const char* password = "Pw;{x}=1";

class StationLoginTest : public EngineTest {
protected:
    void add(const std::vector<Grant>& grants) { addLogin(station.dir(), "pos", password, grants); }

    // The station's rights less one.
    static std::vector<Grant> stationGrantsWithout(Permission permission, const std::string& object) {
        std::vector<Grant> grants = stationGrants();
        std::erase_if(grants, [&](const Grant& g) { return g.permission == permission && g.object == object; });
        return grants;
    }

    std::unique_ptr<Session> connectAs(const std::string& database, const std::string& user = "pos") {
        return Session::connect({station.dir(), "(LOCAL)", user, password, database});
    }

    SimError connectFailure(const std::string& user, const std::string& pwd, const std::string& database) {
        return failureOf([&] { Session::connect({station.dir(), "(LOCAL)", user, pwd, database}); });
    }

    static Outcome run(Session& session, const std::string& sql) { return session.execute(sql, {}, seconds(30)); }
};

TEST_F(StationLoginTest, LogsInWithItsOwnPasswordOnlyToDatabasesItHasAUserIn) {
    add({{Permission::Select, "enablerdb", "Hose_Delivery"}});
    EXPECT_EQ(connectAs("ENABLERDB", "POS")->database(), "enablerdb");  // names compare case-insensitively
    expectError(connectFailure("pos", "pw;{x}=1", "enablerdb"), "28000", 18456, "Login failed for user 'pos'.");
    expectError(connectFailure("pos", "", "enablerdb"), "28000", 18456, "Login failed for user 'pos'.");
    expectError(connectFailure("till", password, "enablerdb"), "28000", 18456, "Login failed for user 'till'.");
    expectError(connectFailure("pos", password, "torvane"), "42000", 4060,
                "Cannot open database \"torvane\" requested by the login. The login failed.");
    // sa is untouched, and no login takes its password.
    EXPECT_NO_THROW(connect("torvane"));
    EXPECT_EQ(connectFailure("pos", "qolvent4719ruk", "enablerdb").nativeError, 18456);

    // Added again, the login has the new password and only the new rights.
    addLogin(station.dir(), "POS", "second", {{Permission::Select, "torvane", "D10_Hose"}});
    EXPECT_EQ(connectFailure("pos", password, "torvane").nativeError, 18456);
    EXPECT_NO_THROW(Session::connect({station.dir(), "(LOCAL)", "pos", "second", "torvane"}));
    EXPECT_EQ(connectFailure("pos", "second", "enablerdb").nativeError, 4060);
}

TEST_F(StationLoginTest, TheStationsFilesNeverHoldThePassword) {
    add(stationGrants());
    connectAs("torvane");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(station.dir())) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string content{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(content.find(password), std::string::npos) << entry.path();
    }
}

TEST_F(StationLoginTest, TheStationsRightsCoverEveryStatementOfBothPrograms) {
    add(stationGrants());
    station.addDelivery(6, 1, "2024-03-05 10:00:00", "2024-03-05 10:00:00");
    auto controller = connectAs("enablerdb");
    auto sales = connectAs("torvane");
    for (const std::string& sql :
         {texts::live("3", "2024"), texts::liveWindowed("3", "2024", "2", "2024", "2024-03-01 00:00:00"),
          texts::offline("5", "3", "2024"), texts::deliveriesCompleted("2024-03-05", "2024-03-06"),
          texts::readingsBefore("2024-03-05")})
        EXPECT_NO_THROW(readThrough(run(*controller, sql))) << sql;
    for (const std::string& sql :
         {texts::invoice("5-Mar-2024"), texts::fuelType("1", "1"), texts::dailySales("2024-03-05", "2024-03-06"),
          texts::hoseFuelTypes, texts::lastSale, texts::backup,
          std::string("update D17_DailySale set VocNo='INV/C9/2' where VocNo='INV/C9/1' and Delivery_ID=1 and "
                      "S_Date>='2024-03-05' and S_Date<'2024-03-06'")})
        EXPECT_NO_THROW(readThrough(run(*sales, sql))) << sql;
    EXPECT_EQ(sales->procedureColumns("INS_UPD_D17_DailySale1").rows.size(), 25u);
    sales->beginTransaction();
    EXPECT_NO_THROW(readThrough(run(*sales, "select count(*) from D17_DailySale with (tablockx, holdlock) where "
                                            "S_Date>='2024-03-05' and S_Date<'2024-03-06'")));
    sales->endTransaction(false);
}

TEST_F(StationLoginTest, AMissingRightIsSqlServersPermissionError) {
    add(stationGrantsWithout(Permission::Select, "Hoses"));
    auto controller = connectAs("enablerdb");
    expectError(failureOf([&] { run(*controller, texts::live("3", "2024")); }), "42000", 229,
                "The SELECT permission was denied on the object 'Hoses', database 'enablerdb', schema 'dbo'.");
    EXPECT_NO_THROW(readThrough(run(*controller, texts::readingsBefore("2024-03-05"))));

    add(stationGrantsWithout(Permission::Execute, "SYNX_TWO_DB_TO_BK1_BK2"));
    expectError(failureOf([&] { run(*connectAs("torvane"), texts::backup); }), "42000", 229,
                "The EXECUTE permission was denied on the object 'SYNX_TWO_DB_TO_BK1_BK2', database 'torvane', "
                "schema 'dbo'.");

    add(stationGrantsWithout(Permission::Update, "D17_DailySale"));
    const std::string renumbering =
        "update D17_DailySale set VocNo='A' where VocNo='B' and Delivery_ID=1 and S_Date>='2024-03-05' and "
        "S_Date<'2024-03-06'";
    expectError(failureOf([&] { run(*connectAs("torvane"), renumbering); }), "42000", 229,
                "The UPDATE permission was denied on the object 'D17_DailySale', database 'torvane', schema 'dbo'.");

    // A procedure the login may not run is one it cannot see described either.
    add(stationGrantsWithout(Permission::Execute, "INS_UPD_D17_DailySale1"));
    auto sales = connectAs("torvane");
    EXPECT_TRUE(sales->procedureColumns("INS_UPD_D17_DailySale1").rows.empty());
    std::vector<ParamValue> arguments(25);
    EXPECT_EQ(failureOf([&] { sales->execute(texts::dailySaleCall(true), arguments, seconds(30)); }).message,
              "The EXECUTE permission was denied on the object 'INS_UPD_D17_DailySale1', database 'torvane', "
              "schema 'dbo'.");
    // An unknown procedure is still unknown, whatever the rights.
    EXPECT_EQ(failureOf([&] { run(*sales, "EXEC NO_SUCH_PROCEDURE"); }).nativeError, 2812);
}

TEST_F(StationLoginTest, ReachingIntoADatabaseWithoutAUserThereIsRefused) {
    add({{Permission::Select, "enablerdb", "Hose_Delivery"}, {Permission::Select, "enablerdb", "Hoses"}});
    auto controller = connectAs("enablerdb");
    expectError(failureOf([&] { run(*controller, texts::live("3", "2024")); }), "42000", 916,
                "The server principal \"pos\" is not able to access the database \"torvane\" under the current "
                "security context.");
    EXPECT_NO_THROW(readThrough(run(*controller, texts::deliveriesCompleted("2024-03-05", "2024-03-06"))));
}

TEST_F(StationLoginTest, GrantsReadInAnyCaseAndNameOnlyTheStationsObjects) {
    EXPECT_EQ(parseGrant("select:TORVANE.d17_dailysale"), (Grant{Permission::Select, "torvane", "D17_DailySale"}));
    EXPECT_EQ(grantText(parseGrant("Execute:torvane.synx_two_db_to_bk1_bk2")),
              "EXECUTE:torvane.SYNX_TWO_DB_TO_BK1_BK2");
    for (const char* bad : {"SELECT torvane.D17_DailySale", "DELETE:torvane.D17_DailySale", "SELECT:master.D17_DailySale",
                            "SELECT:enablerdb.D17_DailySale", "SELECT:torvane"})
        EXPECT_THROW(parseGrant(bad), std::invalid_argument) << bad;
    EXPECT_THROW(addLogin(station.dir(), "SA", "x", {}), std::invalid_argument);
    EXPECT_THROW(addLogin(station.dir(), "pos", "", {}), std::invalid_argument);
    EXPECT_THROW(addLogin(station.dir(), "p\tos", "x", {}), std::invalid_argument);
}

}  // namespace
}  // namespace vantrok::sim
