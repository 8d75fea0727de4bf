#include <gtest/gtest.h>

#include <sstream>

#include "check/status/StatusFormats.h"

namespace vantrok::check {
namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

DeliveryFinding stuck(std::int64_t id) {
    DeliveryFinding finding;
    finding.delivery.id = id;
    finding.delivery.type = liveType;
    finding.state = DeliveryState::Stuck;
    return finding;
}

ProbeContext context() { return {{2026, 10, 25, 2, 40, 0, 0}, 1793068800, {}, std::nullopt}; }

TEST(StatusOutput, ManyFindingsKeepTheFirstLineShortWithEveryIdOnALineOfItsOwn) {
    StationFacts facts;
    for (std::int64_t id = 1000; id < 1060; ++id) facts.stuck.push_back(stuck(id));
    facts.missingToday.push_back(stuck(7));
    facts.repeatedToday = {{12, 2}, {13, 3}};
    facts.oldestWaiting = WaitingDelivery{99, liveType, {}, 0, 1801};
    facts.clockSkewSeconds = -121;
    const Status status = judgeStatus(context(), facts);
    EXPECT_EQ(status.level, StatusLevel::Critical);

    const std::vector<std::string> out = lines(statusLine(status));
    ASSERT_EQ(out.size(), 1u + 60 + 1 + 2 + 5);  // the problems again, cut short on the first line
    EXPECT_LE(out[0].size(), 300u) << out[0];
    EXPECT_EQ(out[0].rfind("VANTROK CRITICAL - oldest waiting delivery 30 min (Delivery_ID 99, critical above 30 min); ",
                           0),
              0u)
        << out[0];
    EXPECT_TRUE(has(out[0], "... | 'waiting'=0;;;0 'oldest_waiting'=1801s;300;1800;0 'stuck'=60;0;;0 "
                            "'missing_today'=1;0;;0 'repeated_invoice_numbers_today'=2;0;;0 "
                            "'clock_skew'=-121s;-120:120;;"))
        << out[0];
    EXPECT_EQ(out[1], "oldest waiting delivery 30 min (Delivery_ID 99, critical above 30 min)");
    EXPECT_EQ(out[5], "the server's clock is -121 s off the PC's (warning outside -120:120 s)");
    EXPECT_EQ(out[6].rfind("Delivery_ID 1000 stuck", 0), 0u) << out[6];
    EXPECT_EQ(out[66].rfind("Delivery_ID 7 of today missing", 0), 0u) << out[66];
    EXPECT_EQ(out.back(), "invoice number 13 of today used 3 times");
    for (std::size_t i = 1; i < out.size(); ++i) EXPECT_EQ(out[i].find('|'), std::string::npos) << out[i];
}

TEST(StatusOutput, AServersLongMessageIsCutOnTheFirstLineAndKeptWholeBelow) {
    const std::string message = "cannot read the station: [08S01] " + std::string(400, 'x') + " | \xC3\xA9\n";
    const std::vector<std::string> out = lines(statusLine(failedStatus(StatusLevel::Unknown, context(), message)));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_LE(out[0].size(), 300u);
    EXPECT_EQ(out[0].substr(out[0].size() - 3), "...");
    EXPECT_EQ(out[0].find('|'), std::string::npos);
    EXPECT_EQ(out[1].size(), message.size());
    EXPECT_TRUE(has(out[1], " / \xC3\xA9")) << out[1];
}

TEST(StatusOutput, ThePrometheusFileCarriesTheThresholdsTheSkewAndWhenTheProbeRanOutOfTime) {
    StationFacts facts;
    facts.oldestWaiting = WaitingDelivery{99, liveType, {}, 1793068000, 800};
    facts.clockSkewSeconds = 2400;
    Status status = judgeStatus(context(), facts);
    status.probeMilliseconds = 1042;
    const std::string metrics = statusPrometheus(status);
    for (const char* line :
         {"\nvantrok_oldest_waiting_since_timestamp_seconds 1793068000\n", "\nvantrok_clock_skew_seconds 2400\n",
          "\nvantrok_oldest_waiting_warning_seconds 300\n", "\nvantrok_oldest_waiting_critical_seconds 1800\n",
          "\nvantrok_clock_skew_warning_seconds 120\n", "\nvantrok_probe_timed_out 0\n",
          "\nvantrok_probe_timestamp_seconds 1793068800\n", "\nvantrok_probe_duration_seconds 1.042\n",
          "\nvantrok_build_info{version=\"" VANTROK_BUILD_VERSION "\"} 1\n", "\nvantrok_status 1\n"})
        EXPECT_TRUE(has(metrics, line)) << line << metrics;

    Status ranges = judgeStatus({context().probedAt, 0, {*parsePluginRange("@0:10"), PluginRange::upTo(60)}, {}}, {});
    ranges.timedOut = true;
    EXPECT_FALSE(has(statusPrometheus(ranges), "vantrok_oldest_waiting_warning_seconds"));  // no single limit to give
    EXPECT_TRUE(has(statusPrometheus(ranges), "\nvantrok_oldest_waiting_critical_seconds 60\n"));
    EXPECT_TRUE(has(statusPrometheus(ranges), "\nvantrok_probe_timed_out 1\n"));
}

}  // namespace
}  // namespace vantrok::check
