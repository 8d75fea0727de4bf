#include <gtest/gtest.h>

#include <vector>

#include "check/Arguments.h"

namespace vantrok::check {
namespace {

std::optional<Arguments> parse(std::vector<const char*> words) {
    words.insert(words.begin(), "vantrok-check");
    return parseArguments(static_cast<int>(words.size()), words.data());
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
    };
    for (const auto& words : wrong) {
        std::string line;
        for (const char* w : words) line += std::string(w) + " ";
        EXPECT_FALSE(parse(words)) << line;
    }
}

}  // namespace
}  // namespace vantrok::check
