#include "check/login/LoginCommand.h"

#include <exception>
#include <string_view>
#include <vector>

#include "check/station/CalendarDay.h"
#include "db/DatabaseError.h"
#include "import/Bridge.h"

namespace vantrok::check {

namespace {

// The login being set, offered to the bridge before it is stored.
class CandidateLogin final : public db::LoginStore {
public:
    explicit CandidateLogin(db::StationLogin login) : login_(std::move(login)) {}
    std::optional<db::StationLogin> load() const override { return login_; }

private:
    db::StationLogin login_;
};

LoginOutcome badArguments(const std::string& problem) {
    return {2, "vantrok-check login: " + problem + "\n" + loginUsage};
}

LoginOutcome failed(const std::string& problem) { return {1, "vantrok-check login: " + problem + "\n"}; }

LoginOutcome setLogin(const std::vector<std::string_view>& options, db::LoginVault& vault, PasswordInput& input,
                      const Clock& clock, Trace& trace) {
    std::string user;
    bool fromStandardInput = false;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (options[i] == "--user" && i + 1 < options.size() && user.empty()) {
            user = options[++i];
        } else if (options[i] == "--password-stdin" && !fromStandardInput) {
            fromStandardInput = true;
        } else if (options[i] == "--password" || options[i].starts_with("--password=")) {
            return badArguments("the password is never taken from the command line: give it when asked, or on "
                                "standard input with --password-stdin");
        } else {
            return badArguments("unknown or repeated argument '" + std::string(options[i]) + "'");
        }
    }
    if (user.empty()) return badArguments("set needs --user NAME");
    if (user.find_first_of("\r\n") != std::string::npos) return badArguments("a login name has no line breaks");
    db::StationLogin login{user, fromStandardInput ? input.line() : input.hidden("Password for " + user + ": ")};
    if (login.password.empty()) return failed("no password given; nothing stored");

    // Stored only once both databases take it, so VANTROK never starts on a login that cannot work.
    CandidateLogin candidate(login);
    Bridge bridge(clock, trace);
    bridge.useLoginStore(candidate);
    try {
        bridge.openConnections();
    } catch (const db::DatabaseError& error) {
        return failed("the station does not accept the login '" + user + "'; nothing stored: " + error.what());
    }
    try {
        vault.store(login, isoText(clock.now()));
    } catch (const std::exception& error) {
        return failed(std::string("cannot store the login: ") + error.what());
    }
    return {0, "VANTROK and vantrok-check now log in as '" + user + "'.\n"};
}

}  // namespace

LoginOutcome runLogin(int argc, const char* const* argv, db::LoginVault& vault, PasswordInput& input,
                      const Clock& clock, Trace& trace) {
    if (argc < 3) return badArguments("say set, show or clear");
    const std::string_view action = argv[2];
    std::vector<std::string_view> options(argv + 3, argv + argc);
    if (action == "set") return setLogin(options, vault, input, clock, trace);
    if (action != "show" && action != "clear") return badArguments("unknown action '" + std::string(action) + "'");
    if (!options.empty()) return badArguments(std::string(action) + " takes no arguments");
    try {
        if (action == "clear") {
            vault.clear();
            return {0, "VANTROK and vantrok-check now log in with the built-in login.\n"};
        }
        const std::optional<db::StoredLoginInfo> info = vault.info();
        if (!info) return {0, "the built-in login (no station login stored)\n"};
        return {0, info->name + ", set " + info->setAt + "\n"};
    } catch (const std::exception& error) {
        return failed(error.what());
    }
}

}  // namespace vantrok::check
