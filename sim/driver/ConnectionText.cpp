#include "sim/driver/ConnectionText.h"

#include <algorithm>
#include <cctype>

namespace vantrok::sim::driver {

namespace {
std::string lowerTrimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    std::string key(text);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}
}  // namespace

ConnectionText::ConnectionText(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t equals = text.find('=', pos);
        const std::size_t semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || semicolon < equals) {
            // A part without '=' carries nothing.
            if (semicolon == std::string_view::npos) break;
            pos = semicolon + 1;
            continue;
        }
        std::string key = lowerTrimmed(text.substr(pos, equals - pos));
        std::string value;
        pos = equals + 1;
        if (pos < text.size() && text[pos] == '{') {
            for (++pos; pos < text.size(); ++pos) {
                if (text[pos] == '}') {
                    if (pos + 1 < text.size() && text[pos + 1] == '}') {
                        value += '}';
                        ++pos;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value += text[pos];
            }
            pos = std::min(text.find(';', pos), text.size());
        } else {
            const std::size_t end = std::min(text.find(';', pos), text.size());
            value = std::string(text.substr(pos, end - pos));
            pos = end;
        }
        ++pos;
        entries_.emplace_back(std::move(key), std::move(value));
    }
}

std::optional<std::string> ConnectionText::value(std::initializer_list<std::string_view> keys) const {
    for (const auto& [key, value] : entries_)
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) return value;
    return std::nullopt;
}

std::vector<std::string> ConnectionText::keys() const {
    std::vector<std::string> keys;
    keys.reserve(entries_.size());
    for (const auto& entry : entries_) keys.push_back(entry.first);
    return keys;
}

}  // namespace vantrok::sim::driver
