#include <gtest/gtest.h>

#include "CheckStationTest.h"
#include "check/status/StatusCommand.h"

namespace vantrok::testing {
namespace {

class StatusJournal : public CheckStationTest {};

// carry wrote to yesterday and its sale waits for its check: the probe looks
// at yesterday's numbers too, and warns of one two sales carry.
TEST_F(StatusJournal, WarnsOfNumbersRepeatedOnTheDaysCarryWroteTo) {
    addSale("INV/C9/241116/1", "2016-11-24 09:00:00", "900");
    addSale("INV/C9/241116/1", "2016-11-24 09:05:00", "901");
    addSale("INV/C9/241116/2", "2016-11-24 10:00:00", "7");
    journal().add({{2016, 11, 24}, 7, "INV/C9/241116/2", check::unixNow() + 3600});
    const check::JournalEntry waiting = journal().entries().front();
    journal_.reset();  // carry has ended

    Bridge fresh{clock, trace};
    const check::Status status = check::probeStatus(fresh, {}, std::nullopt);
    EXPECT_EQ(status.level, check::StatusLevel::Warning);
    EXPECT_EQ(status.problems, std::vector<std::string>{"invoice numbers of 2016-11-24 repeated (1 used 2 times)"});
    EXPECT_EQ(journal().entries(), std::vector<check::JournalEntry>{waiting}) << "not due: left for a later check";

    journal().remove(waiting);
    journal_.reset();
    EXPECT_EQ(check::probeStatus(fresh, {}, std::nullopt).level, check::StatusLevel::Ok)
        << "days carry has not written to are not the probe's";
}

}  // namespace
}  // namespace vantrok::testing
