#include "sim/driver/StatementText.h"

#include <cctype>

namespace vantrok::sim::driver {

std::size_t countParameterMarkers(std::string_view sql) {
    std::size_t markers = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '?') {
            ++markers;
        } else if (c == '\'' || c == '"' || c == '[') {
            // A doubled closing character stands for itself inside the quote.
            const char close = c == '[' ? ']' : c;
            for (++i; i < sql.size(); ++i) {
                if (sql[i] != close) continue;
                if (i + 1 < sql.size() && sql[i + 1] == close) {
                    ++i;
                    continue;
                }
                break;
            }
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            i = sql.find('\n', i);
            if (i == std::string_view::npos) break;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            i = sql.find("*/", i + 2);
            if (i == std::string_view::npos) break;
            ++i;
        }
    }
    return markers;
}

bool likeMatch(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) return text.empty();
    const char p = pattern.front();
    if (p == '%') {
        for (std::size_t skip = 0; skip <= text.size(); ++skip)
            if (likeMatch(text.substr(skip), pattern.substr(1))) return true;
        return false;
    }
    if (text.empty()) return false;
    if (p == '_') return likeMatch(text.substr(1), pattern.substr(1));
    std::size_t width = 1;
    char literal = p;
    if (p == '\\' && pattern.size() > 1) {
        literal = pattern[1];
        width = 2;
    }
    return std::tolower(static_cast<unsigned char>(literal)) ==
               std::tolower(static_cast<unsigned char>(text.front())) &&
           likeMatch(text.substr(1), pattern.substr(width));
}

}  // namespace vantrok::sim::driver
