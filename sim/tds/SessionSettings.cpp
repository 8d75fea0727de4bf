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

}  // namespace

std::optional<SessionSetting> parseSessionSettings(std::string_view batch) {
    std::optional<std::vector<std::string>> list = words(batch);
    if (!list || list->empty()) return std::nullopt;
    // SET option value [;] ...
    std::size_t i = 0;
    while (i < list->size()) {
        if (i + 2 >= list->size()) return std::nullopt;
        if (!equalsIgnoreCase((*list)[i], "set") || (*list)[i + 1] == ";" || (*list)[i + 2] == ";") return std::nullopt;
        // The lock time-out changes how the station's statements wait: the engine keeps it.
        if (equalsIgnoreCase((*list)[i + 1], "lock_timeout")) return std::nullopt;
        i += 3;
        if (i < list->size() && (*list)[i] == ";") ++i;
    }
    return SessionSetting{std::string(batch)};
}

std::string sessionSettingLogText(const SessionSetting& setting) { return "{session setting: " + setting.text + "}"; }

}  // namespace vantrok::sim::tds
