#include <gtest/gtest.h>

#include <ctime>
#include <fstream>

#include "tests/support/CommandRun.h"
#include "tests/support/StationTest.h"

namespace vantrok::testing {
namespace {

// The day n days before today, as a date and as noon of that day.
std::string isoDay(int daysBefore) {
    const std::time_t then = std::time(nullptr) - static_cast<std::time_t>(daysBefore) * 86400;
    std::tm local{};
    localtime_r(&then, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

class CheckCommand : public StationTest {
protected:
    CommandRun run(const std::string& arguments, const std::string& answer = "") {
        return runCommand(std::string(VANTROK_CHECK) + " " + arguments, station.dir() + "/check.err", answer);
    }

    // Yesterday's offline delivery 1, which no import selects any more, and
    // today's live delivery 2, which the live import still selects.
    void SetUp() override {
        StationTest::SetUp();
        station.addDelivery(TestStation::delivery(14, 1, isoDay(1) + " 12:00:00"));
        station.addDelivery(TestStation::delivery(6, 2, sim::station::nowText()));
        range = "--from " + isoDay(1) + " --to " + isoDay(0);
    }

    std::string range;
};

TEST_F(CheckCommand, ReportsForPeopleAndToolsAndExitsOneWhileADeliveryIsMissing) {
    const CommandRun text = run("report " + range);
    EXPECT_EQ(text.exitCode, 1) << text.err;
    EXPECT_EQ(text.err, "");  // no progress bar where nobody watches
    EXPECT_NE(text.out.find("Delivery_ID 1  type 14"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("missing: a type-14 of an earlier day"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("waiting: the live import selects it"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Not accounted for: 1 missing.\nvantrok-check carry writes 1 missing delivery.\n"),
              std::string::npos)
        << text.out;

    const CommandRun csv = run("report " + range + " --csv");
    EXPECT_EQ(csv.exitCode, 1);
    EXPECT_EQ(csv.out.rfind("day,finding,delivery_id,type,pump,hose,count,codes,detail\n", 0), 0u) << csv.out;
    EXPECT_NE(csv.out.find("\n" + isoDay(1) + ",missing,1,14,1,1,,offline-of-earlier-day,a type-14 of an earlier "
                                             "day: the offline import takes today's only\n"),
              std::string::npos)
        << csv.out;
    EXPECT_NE(csv.out.find("\ntotal,recorded,,6,,,1,,\ntotal,recorded,,14,,,1,,\n"), std::string::npos) << csv.out;

    const CommandRun json = run("report " + range + " --json");
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_NE(json.out.find("\"accountedFor\":false"), std::string::npos) << json.out;
    std::ofstream(station.dir() + "/report.json") << json.out;
    const std::string parse = "python3 -c 'import json,sys; r=json.load(sys.stdin); "
                              "first=r[\"notCarried\"][0][\"reasons\"][0][\"code\"]; "
                              "sys.exit(0 if first==\"offline-of-earlier-day\" and r[\"total\"][\"missing\"]==1 "
                              "else 1)' < " +
                              station.dir() + "/report.json";
    EXPECT_EQ(std::system(parse.c_str()), 0) << json.out;
}

TEST_F(CheckCommand, CarryListsAsksAndWritesEachMissingDeliveryOnce) {
    const CommandRun dryRun = run("carry " + range + " --dry-run");
    EXPECT_EQ(dryRun.exitCode, 1);
    EXPECT_NE(dryRun.out.find("To carry, one daily sale each:\n  Delivery_ID 1  type 14"), std::string::npos)
        << dryRun.out;
    EXPECT_EQ(dryRun.out.find("Delivery_ID 2"), std::string::npos) << dryRun.out;

    const CommandRun declined = run("carry " + range + " --settle 0", "n\n");
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_NE(declined.out.find("Write 1 daily sale? [y/N] Nothing written.\n"), std::string::npos) << declined.out;
    EXPECT_TRUE(station.sales().empty());

    const CommandRun accepted = run("carry " + range + " --settle 0", "y\n");
    EXPECT_EQ(accepted.exitCode, 0) << accepted.err;
    EXPECT_NE(accepted.out.find("wrote Delivery_ID 1 as INV/C9/"), std::string::npos) << accepted.out;
    EXPECT_NE(accepted.out.find("(offline)\nChecking the invoice numbers in 0 s, once VANTROK's writes in flight have landed...\nWritten: 1; renumbered: 0; failed: 0.\n"), std::string::npos) << accepted.out;
    ASSERT_EQ(station.sales().size(), 1u);
    EXPECT_EQ(station.sales()[0].at("SaleType"), "7");

    const CommandRun again = run("carry " + range + " --yes --settle 0");
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, "Nothing to carry: no delivery of the range is missing.\n");
    EXPECT_EQ(station.sales().size(), 1u);

    const CommandRun report = run("report " + range);
    EXPECT_EQ(report.exitCode, 0) << report.out;
    EXPECT_NE(report.out.find("\nEverything accounted for.\n"), std::string::npos) << report.out;
}

// A sales database that reads committed snapshots: carry says what that
// means for its numbers and carries on, its check doing the guarding.
TEST_F(CheckCommand, CarryTellsOfASalesDatabaseThatReadsCommittedSnapshots) {
    const CommandRun plain = run("carry " + range + " --dry-run");
    EXPECT_EQ(plain.out.find("READ_COMMITTED_SNAPSHOT"), std::string::npos) << plain.out;
    std::ofstream(station.dir() + "/torvane-read-committed-snapshot").put('\n');
    const CommandRun carried = run("carry " + range + " --yes --settle 0");
    EXPECT_EQ(carried.exitCode, 0) << carried.err;
    EXPECT_EQ(carried.out.find("To carry"), 0u) << carried.out;
    EXPECT_NE(carried.out.find("\ntorvane reads committed snapshots (READ_COMMITTED_SNAPSHOT): VANTROK's invoice query "
                               "does not wait for carry's table lock"),
              std::string::npos)
        << carried.out;
    EXPECT_EQ(station.sales().size(), 1u);
}

TEST_F(CheckCommand, ExitsTwoOnWrongArgumentsOrWhenTheDatabasesCannotBeReached) {
    const std::vector<std::string> wrong = {"",           "report", "report --from 2016-11-01", "audit " + range,
                                            "report " + range + " --yes", "carry " + range + " --json"};
    for (const std::string& arguments : wrong) {
        const CommandRun wrong = run(arguments);
        EXPECT_EQ(wrong.exitCode, 2) << arguments;
        EXPECT_EQ(wrong.err.rfind("usage: vantrok-check report", 0), 0u) << arguments;
    }
    // A day SQL Server cannot hold is told before anything is read: no database error.
    const CommandRun early = run("report --from 1752-12-31 --to 2016-11-30");
    EXPECT_EQ(early.exitCode, 2);
    EXPECT_EQ(early.err.rfind("vantrok-check: the days must lie from 1753-01-01 to 9999-12-30", 0), 0u) << early.err;
    station.setFault("refuse-connections", "on");
    const CommandRun refused = run("report " + range);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("cannot open the connections"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("08001"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace vantrok::testing
