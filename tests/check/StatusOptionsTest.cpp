#include <gtest/gtest.h>

#include <vector>

#include "check/status/PluginRange.h"
#include "check/status/StatusOptions.h"

namespace vantrok::check {
namespace {

std::optional<StatusOptions> parse(std::vector<const char*> options) {
    options.insert(options.begin(), {"vantrok-check", "status"});
    return parseStatusOptions(static_cast<int>(options.size()), options.data());
}

TEST(PluginRange, AlertsOutsideItsRangeAndInsideWithTheAt) {
    const auto plain = parsePluginRange("300");
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->alerts(300));  // reached above the limit, not at it
    EXPECT_TRUE(plain->alerts(301));
    EXPECT_TRUE(plain->alerts(-1));
    EXPECT_EQ(plain->text(), "300");

    const auto fromTen = parsePluginRange("10:");
    ASSERT_TRUE(fromTen);
    EXPECT_TRUE(fromTen->alerts(9));
    EXPECT_FALSE(fromTen->alerts(1'000'000));

    const auto upTo = parsePluginRange("~:5m");
    ASSERT_TRUE(upTo);
    EXPECT_FALSE(upTo->alerts(-1'000'000));
    EXPECT_TRUE(upTo->alerts(301));
    EXPECT_EQ(upTo->text(), "~:300");

    const auto inside = parsePluginRange("@10:20");
    ASSERT_TRUE(inside);
    EXPECT_FALSE(inside->alerts(9));
    EXPECT_TRUE(inside->alerts(10));
    EXPECT_TRUE(inside->alerts(20));
    EXPECT_FALSE(inside->alerts(21));
    EXPECT_EQ(inside->text(), "@10:20");

    EXPECT_FALSE(parsePluginRange("~:")->alerts(-5));
    EXPECT_EQ(parsePluginRange("1h")->plainLimit(), 3600);
    EXPECT_EQ(parsePluginRange("2d")->end, 2 * 86400);
    EXPECT_EQ(parsePluginRange("0:30s")->plainLimit(), 30);
    EXPECT_EQ(parsePluginRange("-60:60")->plainLimit(), std::nullopt);
    for (const char* wrong : {"", "@", "x", "5x", "5mm", "20:10", "-5", "1:2:3", "~", "m", "99999999999999999999"})
        EXPECT_FALSE(parsePluginRange(wrong)) << wrong;
}

TEST(StatusOptions, RangesMinutesTimeOutHelpAndVersion) {
    const auto defaults = parse({});
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->thresholds.warning.plainLimit(), 300);
    EXPECT_EQ(defaults->thresholds.critical.plainLimit(), 1800);
    EXPECT_EQ(defaults->timeoutSeconds, 30);

    const auto ranges = parse({"-w", "10m", "-c", "@1:2h", "-t", "5", "--json"});
    ASSERT_TRUE(ranges);
    EXPECT_EQ(ranges->thresholds.warning.plainLimit(), 600);
    EXPECT_EQ(ranges->thresholds.critical.text(), "@1:7200");
    EXPECT_EQ(ranges->timeoutSeconds, 5);
    EXPECT_EQ(ranges->output, StatusOutput::Json);

    const auto minutes = parse({"--critical", "8", "--warning", "2", "--timeout", "59"});
    ASSERT_TRUE(minutes);
    EXPECT_EQ(minutes->thresholds.warning.plainLimit(), 120);
    EXPECT_EQ(minutes->thresholds.critical.plainLimit(), 480);

    EXPECT_EQ(parse({"-h"})->request, StatusRequest::Help);
    EXPECT_EQ(parse({"--version"})->request, StatusRequest::Version);
    for (const std::vector<const char*>& wrong :
         std::vector<std::vector<const char*>>{{"-h", "-V"}, {"--json", "-h"}, {"-t", "0"}, {"-t", "3601"}, {"-t"},
                                               {"-t", "5", "-t", "6"}, {"--warning", "5m"}, {"-w", "5", "--warning", "5"},
                                               {"-w", "31m"}, {"--critical", "4"}, {"-c", "x"}})
        EXPECT_FALSE(parse(wrong)) << wrong.front() << " " << wrong.back();
    EXPECT_TRUE(parse({"-w", "@0:10", "-c", "60"}));  // only plain limits are put in order
}

TEST(StatusOptions, TheUsageAndTheHelpCarryNoPerfdataBar) {
    EXPECT_EQ(std::string(statusUsage).find('|'), std::string::npos);
    EXPECT_EQ(statusHelp().find('|'), std::string::npos);
    EXPECT_EQ(statusHelp().rfind(statusUsage, 0), 0u);
}

}  // namespace
}  // namespace vantrok::check
