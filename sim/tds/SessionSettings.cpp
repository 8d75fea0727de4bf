#include "sim/tds/SessionSettings.h"

#include <cctype>
#include <vector>

#include "sim/engine/TextUtil.h"

namespace vantrok::sim::tds {

namespace {

bool isWordCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The words of a batch, with ';' as a word of its own.
std::optional<std::vector<std::string>> words(std::string_view text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == ';') {
            out.emplace_back(";");
            ++i;
        } else if (isWordCharacter(c) || c == '-') {
            std::size_t end = i + 1;
            while (end < text.size() && isWordCharacter(text[end])) ++end;
            out.emplace_back(text.substr(i, end - i));
            i = end;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

bool wordsAre(const std::vector<std::string>& w, std::size_t at, std::initializer_list<std::string_view> expected) {
    for (std::string_view word : expected) {
        if (at >= w.size() || !equalsIgnoreCase(w[at], word)) return false;
        ++at;
    }
    return true;
}

// The words of "SET TRANSACTION ISOLATION LEVEL level" starting at `at`, 0
// when they are not one of SQL Server's levels
// ("SET TRANSACTION ISOLATION LEVEL (Transact-SQL)").
std::size_t isolationLevelLength(const std::vector<std::string>& w, std::size_t at) {
    if (!wordsAre(w, at, {"set", "transaction", "isolation", "level"})) return 0;
    at += 4;
    for (std::initializer_list<std::string_view> level :
         {std::initializer_list<std::string_view>{"read", "uncommitted"}, {"read", "committed"}, {"repeatable", "read"},
          {"snapshot"}, {"serializable"}})
        if (wordsAre(w, at, level)) return 4 + level.size();
    return 0;
}

}  // namespace

std::optional<SessionSetting> parseSessionSettings(std::string_view batch) {
    std::optional<std::vector<std::string>> list = words(batch);
    if (!list || list->empty()) return std::nullopt;
    const std::vector<std::string>& w = *list;
    SessionSetting setting{std::string(batch), std::nullopt};
    // SET option value [;] ..., or SET TRANSACTION ISOLATION LEVEL level [;]
    std::size_t i = 0;
    while (i < w.size()) {
        if (!equalsIgnoreCase(w[i], "set")) return std::nullopt;
        std::size_t length = 3;
        if (i + 1 < w.size() && equalsIgnoreCase(w[i + 1], "transaction")) {
            length = isolationLevelLength(w, i);
            if (length == 0) return std::nullopt;
        } else {
            if (i + 2 >= w.size() || w[i + 1] == ";" || w[i + 2] == ";") return std::nullopt;
            // The lock time-out changes how the station's statements wait: the engine keeps it.
            if (equalsIgnoreCase(w[i + 1], "lock_timeout")) return std::nullopt;
            if (equalsIgnoreCase(w[i + 1], "implicit_transactions")) {
                if (!equalsIgnoreCase(w[i + 2], "on") && !equalsIgnoreCase(w[i + 2], "off")) return std::nullopt;
                setting.implicitTransactions = equalsIgnoreCase(w[i + 2], "on");
            }
        }
        i += length;
        if (i < w.size() && w[i] == ";") ++i;
    }
    return setting;
}

std::optional<std::string> parseUseDatabase(std::string_view batch) {
    std::string text(batch);
    std::erase_if(text, [](char c) { return c == '[' || c == ']'; });
    std::optional<std::vector<std::string>> list = words(text);
    if (!list) return std::nullopt;
    if (!list->empty() && list->back() == ";") list->pop_back();
    if (list->size() != 2 || !equalsIgnoreCase((*list)[0], "use") || (*list)[1] == ";") return std::nullopt;
    return (*list)[1];
}

std::string sessionSettingLogText(const SessionSetting& setting) { return "{session setting: " + setting.text + "}"; }

}  // namespace vantrok::sim::tds
