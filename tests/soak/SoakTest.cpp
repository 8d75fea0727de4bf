#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/soak/Soak.h"
#include "tests/soak/SoakReport.h"

namespace vantrok::soak {
namespace {

// Fixed seeds, or the one in VANTROK_SOAK_SEED to look into another run.
std::vector<std::uint64_t> seeds() {
    if (const char* seed = std::getenv("VANTROK_SOAK_SEED")) return {std::stoull(seed)};
    return {1, 2};
}

class Soak : public ::testing::TestWithParam<std::uint64_t> {};

// The last three days of a year and the first two of the next.
TEST_P(Soak, LosesAndRepeatsNothingThroughFaultsAndPoisonRowsAcrossAMonthEnd) {
    SoakPlan plan;
    plan.seed = GetParam();
    plan.firstDay = "2016-12-29";
    plan.days = 5;
    plan.importTicks = 2'400;
    testing::TestStation station;
    const SoakFigures figures = runSoak(plan, station);
    const std::string figuresText = report(plan, figures);
    RecordProperty("figures", figuresText);

    EXPECT_TRUE(figures.sound()) << figuresText;
    EXPECT_EQ(figures.deliveries.lost, 0) << figuresText;
    EXPECT_EQ(figures.deliveries.duplicated, 0) << figuresText;

    // The run must have met what it is there to meet.
    EXPECT_GE(figures.importTicks + figures.backupTicks, 2'000) << figuresText;
    EXPECT_GT(figures.faults.breaks, 5) << figuresText;
    EXPECT_GT(figures.faults.refusals, 0) << figuresText;
    EXPECT_GT(figures.faults.procedureFailures, 0) << figuresText;
    EXPECT_GT(figures.faults.backupFailures, 0) << figuresText;
    EXPECT_GT(figures.forecourt.mended, 5) << figuresText;
    EXPECT_GT(figures.forecourt.clearedNextMonth, 0) << figuresText;
    EXPECT_GT(figures.deliveries.due, 300) << figuresText;
}

INSTANTIATE_TEST_SUITE_P(Seeds, Soak, ::testing::ValuesIn(seeds()));

}  // namespace
}  // namespace vantrok::soak
