#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "check/station/AtomicFile.h"
#include "check/status/Watchdog.h"

namespace vantrok::check {
namespace {

using namespace std::chrono_literals;

TEST(Watchdog, ExpiresAtItsDeadlineNamingTheLastWaitUnlessDisarmedFirst) {
    std::atomic<int> expiries = 0;
    std::string waitedOn;
    {
        Watchdog watchdog(50ms, [&](const std::string& what) {
            waitedOn = what;
            ++expiries;
        });
        watchdog.waitingOn("the login");
        watchdog.waitingOn("the live selection on enablerdb");
        std::this_thread::sleep_for(300ms);
        EXPECT_FALSE(watchdog.disarm());
    }
    EXPECT_EQ(expiries, 1);
    EXPECT_EQ(waitedOn, "the live selection on enablerdb");

    const auto started = std::chrono::steady_clock::now();
    {
        Watchdog watchdog(10s, [&](const std::string&) { ++expiries; });
        EXPECT_TRUE(watchdog.disarm());
    }
    EXPECT_EQ(expiries, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);  // disarming does not wait out the deadline
}

// Windows refuses to replace a file another program opened without
// FILE_SHARE_DELETE; the mover says so a number of times, then moves.
class HeldFile final : public FileMover {
public:
    explicit HeldFile(int refusals) : refusals_(refusals) {}
    MoveResult move(const std::filesystem::path& from, const std::filesystem::path& to) const override {
        ++attempts;
        if (attempts <= refusals_) return {MoveOutcome::Held, "The process cannot access the file"};
        return platformMover().move(from, to);
    }
    void pause(std::chrono::milliseconds time) const override { paused += time; }

    mutable int attempts = 0;
    mutable std::chrono::milliseconds paused{0};

private:
    int refusals_;
};

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("vantrok-atomic-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::ofstream(target()) << "old\n";
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string target() const { return (folder_ / "vantrok.prom").string(); }
    std::string content() const {
        std::ifstream in(target());
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::size_t files() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder_), {}));
    }

    std::filesystem::path folder_;
};

TEST_F(AtomicFile, AReaderHoldingTheFileForAWhileDelaysTheReplaceOnly) {
    const HeldFile held(5);
    replaceFile(target(), "new\n", held);
    EXPECT_EQ(content(), "new\n");
    EXPECT_EQ(held.attempts, 6);
    EXPECT_EQ(held.paused, 500ms);
    EXPECT_EQ(files(), 1u);
}

TEST_F(AtomicFile, AFileHeldForGoodFailsAfterAboutTwoSecondsAndLeavesTheOldContentAlone) {
    const HeldFile held(1000);
    try {
        replaceFile(target(), "new\n", held);
        ADD_FAILURE() << "replaced a held file";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("another program holds it"), std::string::npos) << error.what();
    }
    EXPECT_EQ(held.attempts, 20);
    EXPECT_EQ(held.paused, 1900ms);
    EXPECT_EQ(content(), "old\n");
    EXPECT_EQ(files(), 1u);  // no temporary file left
}

}  // namespace
}  // namespace vantrok::check
