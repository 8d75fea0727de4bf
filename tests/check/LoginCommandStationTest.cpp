#include <gtest/gtest.h>

#include "CheckStationTest.h"
#include "check/login/LoginCommand.h"
#include "check/status/StatusFormats.h"
#include "check/status/StatusCommand.h"
#include "fakes/FakeLoginVault.h"
#include "sim/engine/Logins.h"

namespace vantrok::testing {
namespace {

const std::string password = "Lg;{n=7";

class ScriptedPasswordInput final : public check::PasswordInput {
public:
    std::string hidden(const std::string& prompt) override {
        prompts.push_back(prompt);
        return typed;
    }
    std::string line() override {
        ++linesRead;
        return typed;
    }
    std::string typed = password;
    std::vector<std::string> prompts;
    int linesRead = 0;
};

class LoginCommand : public CheckStationTest {
protected:
    void SetUp() override {
        CheckStationTest::SetUp();
        sim::addLogin(station.dir(), "pos", password, sim::stationGrants());
    }

    check::LoginOutcome login(std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), {"vantrok-check", "login"});
        check::LoginOutcome outcome =
            check::runLogin(static_cast<int>(arguments.size()), arguments.data(), vault, input, clock, trace);
        said += outcome.message;
        return outcome;
    }

    void TearDown() override {
        for (const std::string& line : trace.lines) said += line;
        EXPECT_EQ(said.find(password), std::string::npos) << "the password was said";
    }

    FakeLoginVault vault;
    ScriptedPasswordInput input;
    std::string said;
};

TEST_F(LoginCommand, SetsShowsAndClearsTheStationsLogin) {
    EXPECT_EQ(login({"show"}).message, "the built-in login (no station login stored)\n");
    check::LoginOutcome set = login({"set", "--user", "pos", "--password-stdin"});
    ASSERT_EQ(set.exitCode, 0) << set.message;
    EXPECT_EQ(input.linesRead, 1);
    EXPECT_TRUE(input.prompts.empty());
    ASSERT_TRUE(vault.login);
    EXPECT_EQ(vault.login->name, "pos");
    EXPECT_EQ(vault.login->password, password);
    EXPECT_EQ(login({"show"}).message, "pos, set 2016-11-25 17:42:30\n");
    EXPECT_EQ(login({"clear"}).exitCode, 0);
    EXPECT_FALSE(vault.login);

    // Without --password-stdin it is asked for on the console, unseen.
    EXPECT_EQ(login({"set", "--user", "pos"}).exitCode, 0);
    EXPECT_EQ(input.prompts, std::vector<std::string>{"Password for pos: "});
}

TEST_F(LoginCommand, StoresNothingTheStationDoesNotAccept) {
    input.typed = "not the password";
    check::LoginOutcome wrong = login({"set", "--user", "pos", "--password-stdin"});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.message.find("Login failed for user 'pos'."), std::string::npos) << wrong.message;
    EXPECT_FALSE(vault.login);

    // A login without a user in the controller's database fails there.
    sim::addLogin(station.dir(), "sales_only", password, {{sim::Permission::Select, "torvane", "D10_Hose"}});
    input.typed = password;
    check::LoginOutcome half = login({"set", "--user", "sales_only", "--password-stdin"});
    EXPECT_EQ(half.exitCode, 1);
    EXPECT_NE(half.message.find("Cannot open database \"enablerdb\""), std::string::npos) << half.message;
    EXPECT_FALSE(vault.login);

    input.typed = "";
    EXPECT_EQ(login({"set", "--user", "pos", "--password-stdin"}).exitCode, 1);
}

TEST_F(LoginCommand, NeverTakesThePasswordFromItsCommandLine) {
    for (const std::vector<const char*>& bad :
         {std::vector<const char*>{"set", "--user", "pos", "--password", "x"}, {"set", "--user", "pos", "--password=x"},
          {"set"}, {"set", "--user"}, {"show", "pos"}, {"forget"}, {}}) {
        const check::LoginOutcome outcome = login(bad);
        EXPECT_EQ(outcome.exitCode, 2) << outcome.message;
        EXPECT_NE(outcome.message.find("usage: vantrok-check login"), std::string::npos);
    }
    EXPECT_EQ(input.linesRead + static_cast<int>(input.prompts.size()), 0);
}

TEST_F(LoginCommand, AnUnreadableEntryIsSaidPlainlyAndCanBeCleared) {
    vault.login = db::StationLogin{"pos", password};
    vault.unreadable = true;
    const check::LoginOutcome show = login({"show"});
    EXPECT_EQ(show.exitCode, 1);
    EXPECT_NE(show.message.find("cannot be used (the entry was changed after it was stored)"), std::string::npos);
    EXPECT_EQ(login({"clear"}).exitCode, 0);
    EXPECT_EQ(login({"show"}).exitCode, 0);
}

TEST_F(LoginCommand, StatusTellsWhetherTheBuiltInLoginIsStillUsed) {
    Bridge builtin{clock, trace};
    check::Status status = probeWith(builtin, true);
    status.builtinLogin = builtin.usesBuiltinLogin();
    EXPECT_NE(check::statusPrometheus(status).find("\nvantrok_builtin_login 1\n"), std::string::npos);
    EXPECT_NE(check::statusJson(status).find(",\"builtinLogin\":true,"), std::string::npos);

    vault.login = db::StationLogin{"pos", password};
    Bridge own{clock, trace};
    own.useLoginStore(vault);
    status = probeWith(own, true);
    status.builtinLogin = own.usesBuiltinLogin();
    EXPECT_EQ(status.level, check::StatusLevel::Ok);
    EXPECT_NE(check::statusPrometheus(status).find("\nvantrok_builtin_login 0\n"), std::string::npos);
    EXPECT_NE(check::statusJson(status).find(",\"builtinLogin\":false,"), std::string::npos);

    vault.unreadable = true;
    Bridge unreadable{clock, trace};
    unreadable.useLoginStore(vault);
    status = probeWith(unreadable, true);
    status.builtinLogin = unreadable.usesBuiltinLogin();
    EXPECT_EQ(check::statusPrometheus(status).find("vantrok_builtin_login"), std::string::npos);
    EXPECT_NE(check::statusJson(status).find(",\"builtinLogin\":null,"), std::string::npos);
}

}  // namespace
}  // namespace vantrok::testing
