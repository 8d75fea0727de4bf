#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "tests/support/CommandRun.h"
#include "tests/support/LoopbackListener.h"
#include "sim/station/FreeTdsRoad.h"
#include "tests/support/StationTest.h"

namespace vantrok::testing {
namespace {

// This computer's local time some minutes ago, as the station stores it.
std::string minutesAgo(int minutes) {
    const std::time_t then = std::time(nullptr) - static_cast<std::time_t>(minutes) * 60;
    std::tm local{};
    localtime_r(&then, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

class StatusCommand : public StationTest {
protected:
    CommandRun status(const std::string& options = "") {
        return runCommand(std::string(VANTROK_CHECK) + " status " + options, station.dir() + "/status.err");
    }
    std::string metricsFolder() const { return station.dir() + "/textfile_inputs"; }
    std::string metricsFile() const { return metricsFolder() + "/vantrok.prom"; }
    std::string read(const std::string& path) const {
        std::ifstream in(path);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The folder's file names: the metrics file and nothing beside it.
    std::vector<std::string> folderContent() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(metricsFolder()))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(StatusCommand, WaitingPastTheThresholdsSetsTheLevelAndTheExitCodeInEveryOutput) {
    EXPECT_EQ(status().exitCode, 0);
    station.addDelivery(6, 2, minutesAgo(12), minutesAgo(10));

    const CommandRun line = status();
    EXPECT_EQ(line.exitCode, 1) << line.out << line.err;
    EXPECT_EQ(line.out.rfind("VANTROK WARNING - oldest waiting delivery 10 min (Delivery_ID 2, warning above 5 min) | "
                             "'waiting'=1;;;0 'oldest_waiting'=",
                             0),
              0u)
        << line.out;
    EXPECT_EQ(line.out.find('\n'), line.out.size() - 1) << line.out;  // exactly one line

    EXPECT_EQ(status("--warning 15 --critical 20").exitCode, 0);
    const CommandRun critical = status("--critical 8 --warning 2");
    EXPECT_EQ(critical.exitCode, 2);
    EXPECT_TRUE(has(critical.out, ";120;480;0 ")) << critical.out;

    const CommandRun json = status("--json --critical 9");
    EXPECT_EQ(json.exitCode, 2);
    std::ofstream(station.dir() + "/status.json") << json.out;
    const std::string parse = "python3 -c 'import json,sys; s=json.load(sys.stdin); "
                              "sys.exit(0 if s[\"status\"]==\"CRITICAL\" and s[\"waiting\"]==1 and s[\"up\"] and "
                              "s[\"running\"] is None and s[\"oldestWaiting\"][\"deliveryId\"]==2 else 1)' < " +
                              station.dir() + "/status.json";
    EXPECT_EQ(std::system(parse.c_str()), 0) << json.out;

    std::filesystem::create_directory(metricsFolder());
    const CommandRun prometheus = status("--prometheus " + metricsFile());
    EXPECT_EQ(prometheus.exitCode, 1);
    EXPECT_EQ(prometheus.out.rfind("VANTROK WARNING - oldest waiting delivery 10 min", 0), 0u) << prometheus.out;
    EXPECT_TRUE(has(read(metricsFile()), "\nvantrok_deliveries_waiting 1\n"))
        << read(metricsFile());
}

TEST_F(StatusCommand, ThePrometheusFilePassesPromtoolAndNothingIsLeftBesideIt) {
    if (std::system("command -v promtool > /dev/null") != 0) GTEST_SKIP() << "promtool is not installed";
    std::filesystem::create_directory(metricsFolder());
    std::ofstream(metricsFile()) << "vantrok_up 1\n";  // a previous probe's, replaced whole
    EXPECT_EQ(status("--prometheus " + metricsFile()).exitCode, 0);
    EXPECT_EQ(folderContent(), std::vector<std::string>{"vantrok.prom"});
    const std::string check = "promtool check metrics < " + metricsFile();
    EXPECT_EQ(std::system(check.c_str()), 0) << read(metricsFile());
    EXPECT_TRUE(has(read(metricsFile()), "# TYPE vantrok_up gauge\nvantrok_up 1\n")) << read(metricsFile());

    station.setFault("refuse-connections", "on");
    const CommandRun unreachable = status("--prometheus " + metricsFile());
    EXPECT_EQ(unreachable.exitCode, 2);
    EXPECT_EQ(unreachable.out.rfind("VANTROK CRITICAL - cannot reach the station: ", 0), 0u) << unreachable.out;
    EXPECT_EQ(std::system(check.c_str()), 0) << read(metricsFile());
    EXPECT_TRUE(has(read(metricsFile()), "\nvantrok_up 0\n"));
    EXPECT_TRUE(has(read(metricsFile()), "\nvantrok_status 2\n"));
    EXPECT_EQ(folderContent(), std::vector<std::string>{"vantrok.prom"});
}

TEST_F(StatusCommand, AFileThatCannotBeWrittenIsUnknownAndLeavesNothing) {
    std::filesystem::create_directory(metricsFolder());
    std::filesystem::create_directory(metricsFile());  // a folder in the file's place
    const CommandRun run = status("--prometheus " + metricsFile());
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out.rfind("VANTROK UNKNOWN - cannot replace ", 0), 0u) << run.out;
    EXPECT_EQ(folderContent(), std::vector<std::string>{"vantrok.prom"});
}

TEST_F(StatusCommand, AWrongOptionIsUnknownWithTheUsageAsItsOneLineAndHelpAndVersionAsPluginsDo) {
    for (const char* options : {"--bogus", "--warning", "--warning x", "--warning -1", "--warning 31",
                                "--warning 5 --warning 6", "--critical 4", "--json --json", "-w 10:5", "-t 0",
                                "--json --prometheus x.prom", "--prometheus", "--prometheus ''", "report"}) {
        const CommandRun run = status(options);
        EXPECT_EQ(run.exitCode, 3) << options;
        EXPECT_EQ(run.out,
                  "VANTROK UNKNOWN - usage: vantrok-check status [-w RANGE] [-c RANGE] [-t SECONDS] "
                  "[--json or --prometheus FILE] (-h for help)\n")
            << options;
        EXPECT_EQ(run.err, "") << options;
    }
    const CommandRun help = status("--help");
    EXPECT_EQ(help.exitCode, 3);
    EXPECT_TRUE(has(help.out, "\n -t, --timeout SECONDS ")) << help.out;
    const CommandRun version = status("-V");
    EXPECT_EQ(version.exitCode, 3);
    EXPECT_EQ(version.out, "vantrok-check " VANTROK_BUILD_VERSION "\n");
}

TEST_F(StatusCommand, AServerThatNeverAnswersEndsUnknownAtTheTimeOutWithTheFileSayingSo) {
    if (!onFreeTdsRoad()) GTEST_SKIP() << "a server that never answers is reached over TDS only";
    const LoopbackListener silent(16);  // takes connections, never says a word
    const std::string folder = station.dir() + "/silent";
    std::filesystem::create_directory(folder);
    sim::station::writeFreeTdsRegistration(folder, sim::station::defaultFreeTdsDriver(), silent.port(), false);
    std::filesystem::create_directory(metricsFolder());

    const auto started = std::chrono::steady_clock::now();
    const CommandRun run = runCommand("ODBCSYSINI=" + folder + " FREETDSCONF=" + folder + "/freetds.conf TDSPORT=" +
                                          std::to_string(silent.port()) + " " + VANTROK_CHECK +
                                          " status -t 5 --prometheus " + metricsFile(),
                                      station.dir() + "/status.err");
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_EQ(run.out, "VANTROK UNKNOWN - no answer within 5 s, waiting on the login to enablerdb and torvane\n");
    EXPECT_GE(took, std::chrono::seconds(5));
    EXPECT_LT(took, std::chrono::seconds(7));
    for (const char* line : {"\nvantrok_up 0\n", "\nvantrok_status 3\n", "\nvantrok_probe_timed_out 1\n"})
        EXPECT_TRUE(has(read(metricsFile()), line)) << line << read(metricsFile());
    EXPECT_EQ(folderContent(), std::vector<std::string>{"vantrok.prom"});
}

}  // namespace
}  // namespace vantrok::testing
