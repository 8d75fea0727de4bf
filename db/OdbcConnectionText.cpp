#include "db/OdbcConnectionText.h"

#include "db/CaseInsensitive.h"

#include <algorithm>

namespace vantrok::db {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string_view odbcKeyword(std::string_view adoKeyword) {
    const std::string_view key = trimmed(adoKeyword);
    if (equalsIgnoringCase(key, "password")) return "PWD";
    if (equalsIgnoringCase(key, "user id")) return "UID";
    return adoKeyword;
}

// An ODBC value that holds ';' or starts with '{' must be braced, its '}' doubled.
std::string braced(std::string_view value) {
    std::string out = "{";
    for (char c : value) {
        out += c;
        if (c == '}') out += '}';
    }
    return out + "}";
}

}  // namespace

std::string odbcValue(std::string_view value) {
    const bool plain = value.find_first_of(";{}") == std::string_view::npos &&
                       (value.empty() || (value.front() != ' ' && value.front() != '\'' && value.front() != '"'));
    return plain ? std::string(value) : braced(value);
}

std::string odbcConnectionText(std::string_view adoText) {
    std::string out;
    std::size_t at = 0;
    while (at < adoText.size()) {
        const std::size_t equals = adoText.find('=', at);
        const std::size_t end = adoText.find(';', at);
        if (equals == std::string_view::npos || (end != std::string_view::npos && end < equals)) {
            // An entry without a value goes on as written.
            const std::size_t stop = end == std::string_view::npos ? adoText.size() : end + 1;
            out += adoText.substr(at, stop - at);
            at = stop;
            continue;
        }
        out += odbcKeyword(adoText.substr(at, equals - at));
        out += '=';
        std::size_t valueStart = equals + 1;
        while (valueStart < adoText.size() && adoText[valueStart] == ' ') ++valueStart;
        const char quote = valueStart < adoText.size() ? adoText[valueStart] : '\0';
        if (quote == '{') {
            // Up to the brace that closes it: "}}" inside stands for one.
            std::size_t i = valueStart + 1;
            while (i < adoText.size() && !(adoText[i] == '}' && (i + 1 >= adoText.size() || adoText[i + 1] != '}')))
                i += adoText[i] == '}' ? 2 : 1;
            const std::size_t close = std::min(i + 1, adoText.size());
            out += adoText.substr(valueStart, close - valueStart);
            at = adoText.find(';', close);
            if (at == std::string_view::npos) break;
            out += ';';
            ++at;
            continue;
        }
        if (quote == '\'' || quote == '"') {
            // ADO's quoted value: a doubled quote stands for one.
            std::string value;
            std::size_t i = valueStart + 1;
            for (; i < adoText.size(); ++i) {
                if (adoText[i] != quote) {
                    value += adoText[i];
                } else if (i + 1 < adoText.size() && adoText[i + 1] == quote) {
                    value += quote;
                    ++i;
                } else {
                    break;
                }
            }
            out += braced(value);
            at = adoText.find(';', i);
            if (at == std::string_view::npos) break;
            out += ';';
            ++at;
            continue;
        }
        const std::size_t stop = end == std::string_view::npos ? adoText.size() : end + 1;
        out += adoText.substr(equals + 1, stop - equals - 1);
        at = stop;
    }
    return out;
}

}  // namespace vantrok::db
