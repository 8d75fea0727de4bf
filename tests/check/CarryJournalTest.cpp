#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "check/carry/CarryJournal.h"

namespace vantrok::check {
namespace {

class Journal : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrok-journal-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
};

// What the journal holds is on the disk after each change, whole: the next
// run reads the same entries, and nothing is left beside it but its lock.
TEST_F(Journal, EveryChangeIsOnTheDiskForTheNextRunToRead) {
    const std::filesystem::path file = folder / "station" / "journal";
    std::optional<CarryJournal> journal(std::in_place, file);
    const auto nextRun = [&] {
        journal.reset();
        journal.emplace(file);
        return journal->entries();
    };
    const JournalEntry first{{2016, 11, 24}, 7, "INV/C9/241116/1", 1480000000};
    const JournalEntry second{{2016, 11, 25}, 8, "INV/C9/251116/1 B", 1480000065};
    EXPECT_TRUE(journal->entries().empty());
    journal->add(first);
    journal->add(second);
    EXPECT_EQ(nextRun(), (std::vector<JournalEntry>{first, second}));

    const JournalEntry renumbered{{2016, 11, 24}, 7, "INV/C9/241116/2", 1480000130};
    journal->replace(first, renumbered);
    journal->remove(second);
    EXPECT_EQ(nextRun(), std::vector<JournalEntry>{renumbered});
    journal->remove(renumbered);
    EXPECT_TRUE(nextRun().empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 2);

    EXPECT_THROW(journal->add({{2016, 11, 24}, 9, "INV/C9\n/1", 0}), std::runtime_error);
    EXPECT_TRUE(nextRun().empty()) << "a number the file cannot hold is refused, not cut";
}

// One run at a time holds the journal: a second would write over the first's entries.
TEST_F(Journal, ASecondHolderIsRefusedUntilTheFirstEnds) {
    const std::filesystem::path file = folder / "journal";
    std::optional<CarryJournal> first(std::in_place, file);
    EXPECT_THROW(CarryJournal second(file), JournalInUse);
    first.reset();
    EXPECT_NO_THROW(CarryJournal again(file));
}

// A journal that cannot be read is not taken for an empty one: what it
// holds would be forgotten unchecked.
TEST_F(Journal, ADamagedJournalIsRefusedNotForgotten) {
    const std::filesystem::path file = folder / "journal";
    std::ofstream(file) << "2016-11-24 7 1480000000 INV/C9/241116/1\n2016-11-24 8 INV/C9/241116/2\n";
    try {
        CarryJournal journal(file);
        FAIL() << "a damaged journal was read";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("damaged at line 2"), std::string::npos) << error.what();
    }
}

// One journal per station, named by its server and databases, where the
// environment says or in the program's state folder.
TEST_F(Journal, EachStationHasItsOwnFileInTheFolderTheEnvironmentNames) {
    ::setenv("VANTROK_JOURNAL_DIR", folder.c_str(), 1);
    EXPECT_EQ(stationJournalFile("driver=sql server;uid=sa;server=(LOCAL);database=torvane",
                                 "driver=sql server;server=(LOCAL);Database=enablerdb"),
              folder / "_LOCAL_-torvane-enablerdb.carry-journal");
    EXPECT_NE(stationJournalFile("server=PUMPS\\SQL;database=torvane", "database=enablerdb"),
              stationJournalFile("server=(LOCAL);database=torvane", "database=enablerdb"));
    ::unsetenv("VANTROK_JOURNAL_DIR");
    ::setenv("XDG_STATE_HOME", folder.c_str(), 1);
    EXPECT_EQ(stationJournalFile("server=(LOCAL);database=torvane", "database=enablerdb").parent_path(),
              folder / "vantrok");
}

}  // namespace
}  // namespace vantrok::check
