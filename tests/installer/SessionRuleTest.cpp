#include <gtest/gtest.h>

#include <vector>

#include "installer/launch/SessionRule.h"

namespace vantrok::installer {
namespace {

std::vector<std::uint32_t> Ids(const std::vector<Session>& sessions) {
    std::vector<std::uint32_t> ids;
    for (const Session& s : sessions) ids.push_back(s.id);
    return ids;
}

using IdList = std::vector<std::uint32_t>;

const Session Services{0, false, L"NT AUTHORITY\\SYSTEM"};

TEST(SessionRule, TheConsoleUserComesFirst) {
    std::vector<Session> all = {Services, {2, true, L"PC\\remote"}, {4, true, L"PC\\clerk"}};
    EXPECT_EQ(Ids(TargetSessions(4, all, {})), IdList{4});
    all[2].active = false;  // locked out by a remote-support connection: still logged on
    EXPECT_EQ(Ids(TargetSessions(4, all, {})), IdList{4});
}

TEST(SessionRule, WithoutAConsoleUserActiveBeforeDisconnected) {
    std::vector<Session> all = {Services, {1, true, L""}, {2, false, L"PC\\left"}, {3, true, L"PC\\remote"}};
    EXPECT_EQ(Ids(TargetSessions(1, all, {})), IdList{3});
    all[3].active = false;
    EXPECT_EQ(Ids(TargetSessions(1, all, {})), IdList{2}) << "a disconnected session's user is logged on";
    EXPECT_EQ(Ids(TargetSessions(std::nullopt, all, {})), IdList{2});
}

TEST(SessionRule, NobodyButServicesIsNobody) {
    EXPECT_TRUE(TargetSessions(0, {Services}, {}).empty());
    EXPECT_TRUE(TargetSessions(1, {Services, {1, true, L""}}, {}).empty());
    EXPECT_TRUE(TargetSessions(std::nullopt, {}, {}).empty());
}

TEST(SessionRule, WhereCopiesEndedThereAndNowhereElse) {
    std::vector<Session> all = {Services, {1, true, L"PC\\clerk"}, {2, false, L"PC\\manager"},
                                {3, true, L"PC\\other"}, {5, true, L""}};
    EXPECT_EQ(Ids(TargetSessions(1, all, {2})), IdList{2}) << "not the console's user";
    EXPECT_EQ(Ids(TargetSessions(1, all, {3, 2, 3})), (IdList{2, 3})) << "each session once";
    EXPECT_TRUE(TargetSessions(1, all, {5, 7}).empty()) << "logged off since, or gone: nobody";
    EXPECT_TRUE(TargetSessions(1, all, {0}).empty()) << "never the services' session";
}

}  // namespace
}  // namespace vantrok::installer
