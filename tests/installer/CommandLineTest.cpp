#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/launch/CommandLine.h"
#include "installer/launch/SessionList.h"

namespace vantrok::installer {
namespace {

using Words = std::vector<std::wstring>;
const std::wstring Program = L"C:\\Program Files\\VANTROK\\VANTROK.exe";

TEST(HelperArguments, TheInstallersForms) {
    auto plain = ParseArguments({Program});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->kind, Command::Kind::Launch);
    EXPECT_EQ(plain->program, Program);
    EXPECT_TRUE(plain->file.empty());
    EXPECT_FALSE(plain->breakawayOnly);

    auto ended = ParseArguments({L"--breakaway-only", L"--ended", L"C:\\t\\ended.txt", Program});
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->file, L"C:\\t\\ended.txt");
    EXPECT_TRUE(ended->breakawayOnly);
    EXPECT_EQ(ended->program, Program);

    auto record = ParseArguments({L"--record", L"C:\\t\\ended.txt"});
    ASSERT_TRUE(record);
    EXPECT_EQ(record->kind, Command::Kind::Record);
    EXPECT_EQ(record->file, L"C:\\t\\ended.txt");

    auto detach = ParseArguments({L"--detach", L"cmd.exe", L"/c", L"exit"});
    ASSERT_TRUE(detach);
    EXPECT_EQ(detach->kind, Command::Kind::Detach);
}

TEST(HelperArguments, WrongOnesAreRefused) {
    for (const Words& wrong : {Words{}, Words{L"--ended", L"f"}, Words{L"--ended", Program},
                               Words{Program, L"--breakaway-only"}, Words{Program, Program},
                               Words{L"--record"}, Words{L"--record", L"f", L"g"}, Words{L"--detach"},
                               Words{L"--ended", L"f", L"--ended", L"g", Program}, Words{L"--quiet", Program},
                               Words{L""}})
        EXPECT_FALSE(ParseArguments(wrong));
}

TEST(DetachedCommand, TakenAsWrittenAfterTheOption) {
    auto command = CommandAfterDetach(
        LR"("C:\Temp\nsx1.tmp\vantrok-launch.exe" --detach "C:\Windows\system32\cmd.exe" /c del "C:\Program Files\VANTROK\uninstall.exe")");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->program, L"C:\\Windows\\system32\\cmd.exe");
    EXPECT_EQ(command->arguments, LR"(/c del "C:\Program Files\VANTROK\uninstall.exe")");

    auto bare = CommandAfterDetach(L"vantrok-launch.exe   --detach\tcmd.exe");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->program, L"cmd.exe");
    EXPECT_TRUE(bare->arguments.empty());

    EXPECT_FALSE(CommandAfterDetach(L"vantrok-launch.exe --detach"));
    EXPECT_FALSE(CommandAfterDetach(L"vantrok-launch.exe --detach \"unclosed"));
    EXPECT_FALSE(CommandAfterDetach(L"vantrok-launch.exe --record x"));
    EXPECT_FALSE(CommandAfterDetach(L"\"vantrok-launch.exe --detach cmd.exe"));
}

TEST(SessionListFile, WrittenOnceEachAndReadBack) {
    EXPECT_EQ(FormatSessionList({3, 1, 3}), "1\n3\n");
    EXPECT_EQ(FormatSessionList({}), "");
    EXPECT_EQ(ParseSessionList("1\n3\n"), (std::vector<std::uint32_t>{1, 3}));
    EXPECT_EQ(ParseSessionList("2\r\n\r\n4294967295\r\n"), (std::vector<std::uint32_t>{2, 4294967295U}));
    EXPECT_EQ(ParseSessionList(""), std::vector<std::uint32_t>{});
}

TEST(SessionListFile, ADamagedOneIsRefused) {
    for (const char* damaged : {"1\nx\n", "-1\n", "+2\n", " 2\n", "2 \n", "4294967296\n", "1,2\n"})
        EXPECT_FALSE(ParseSessionList(damaged)) << damaged;
}

}  // namespace
}  // namespace vantrok::installer
