#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrok::sim::driver {

// A connection text "key=value;key={value};...": keys compare
// case-insensitively, the first of a repeated key counts, a braced value
// may hold ';' and '=' ("}}" stands for '}').
class ConnectionText {
public:
    explicit ConnectionText(std::string_view text);

    // The value of the first entry named by one of the keys (aliases: "pwd", "password").
    std::optional<std::string> value(std::initializer_list<std::string_view> keys) const;
    // The keys in the order given, in lower case.
    std::vector<std::string> keys() const;

private:
    std::vector<std::pair<std::string, std::string>> entries_;  // keys in lower case
};

}  // namespace vantrok::sim::driver
