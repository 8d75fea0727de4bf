#include <gtest/gtest.h>

#include <vector>

#include "check/Arguments.h"

namespace vantrok::check {
namespace {

constexpr CalendarDay today{2016, 11, 25};

std::optional<Arguments> parse(std::vector<const char*> words, std::string* problem = nullptr) {
    words.insert(words.begin(), "vantrok-check");
    std::string said;
    auto arguments = parseArguments(static_cast<int>(words.size()), words.data(), today, said);
    if (problem) *problem = said;
    return arguments;
}

TEST(CheckArguments, TakeACommandAndBothDaysInAnyOrder) {
    auto report = parse({"report", "--to", "2016-11-30", "--from", "2016-11-01", "--json"});
    ASSERT_TRUE(report);
    EXPECT_EQ(report->command, Command::Report);
    EXPECT_EQ(isoText(report->range.first), "2016-11-01");
    EXPECT_EQ(isoText(report->range.last), "2016-11-30");
    EXPECT_EQ(report->format, Format::Json);

    auto carry = parse({"carry", "--from", "2016-02-29", "--to", "2016-02-29", "--dry-run"});
    ASSERT_TRUE(carry);
    EXPECT_EQ(carry->command, Command::Carry);
    EXPECT_TRUE(carry->dryRun);
    EXPECT_FALSE(carry->yes);
}

TEST(CheckArguments, LastCountsBackFromTodayAcrossMonthsAndLeapDays) {
    auto month = parse({"report", "--last", "31"});
    ASSERT_TRUE(month);
    EXPECT_EQ(isoText(month->range.first), "2016-10-26");
    EXPECT_EQ(isoText(month->range.last), "2016-11-25");
    auto one = parse({"carry", "--last", "1", "--yes"});
    ASSERT_TRUE(one);
    EXPECT_EQ(isoText(one->range.first), "2016-11-25");
    EXPECT_EQ(isoText(daysBefore({2016, 3, 1}, 1)), "2016-02-29");
    EXPECT_EQ(isoText(daysBefore({2017, 1, 1}, 366)), "2016-01-01");
}

TEST(CheckArguments, DaysSqlServerCannotHoldAreUsageErrorsThatSayWhy) {
    std::string problem;
    EXPECT_FALSE(parse({"report", "--from", "1752-12-31", "--to", "2016-11-30"}, &problem));
    EXPECT_NE(problem.find("1753-01-01"), std::string::npos) << problem;
    EXPECT_FALSE(parse({"carry", "--from", "2016-11-01", "--to", "9999-12-31"}, &problem));
    EXPECT_NE(problem.find("9999-12-30"), std::string::npos) << problem;
    EXPECT_TRUE(parse({"report", "--from", "1753-01-01", "--to", "9999-12-30"}));
    EXPECT_FALSE(parse({"report", "--last", "0"}, &problem));
    EXPECT_NE(problem.find("--last"), std::string::npos) << problem;
}

TEST(CheckArguments, RefuseWhatCouldBeMisread) {
    const std::vector<std::vector<const char*>> wrong = {
        {},
        {"check", "--from", "2016-11-01", "--to", "2016-11-30"},
        {"report", "--from", "2016-11-01"},
        {"report", "--from", "2016-11-30", "--to", "2016-11-01"},         // backwards
        {"report", "--from", "2015-02-29", "--to", "2015-03-01"},         // no such day
        {"report", "--from", "2016-11-1", "--to", "2016-11-30"},
        {"report", "--from", "01-Nov-2016", "--to", "2016-11-30"},
        {"report", "--from", "2016-11-01", "--from", "2016-11-02", "--to", "2016-11-30"},
        {"report", "--from", "2016-11-01", "--to", "2016-11-30", "--csv", "--json"},
        {"report", "--from", "2016-11-01", "--to", "2016-11-30", "--yes"},
        {"carry", "--from", "2016-11-01", "--to", "2016-11-30", "--csv"},
        {"carry", "--from", "2016-11-01", "--to", "2016-11-30", "--yes", "--dry-run"},
        {"carry", "--from", "2016-11-01", "--to"},
        {"report", "--last", "31", "--from", "2016-11-01"},
        {"report", "--last", "31", "--last", "30"},
        {"report", "--last", "3x"},
        {"report", "--last"},
    };
    for (const auto& words : wrong) {
        std::string line;
        for (const char* w : words) line += std::string(w) + " ";
        EXPECT_FALSE(parse(words)) << line;
    }
}

}  // namespace
}  // namespace vantrok::check
