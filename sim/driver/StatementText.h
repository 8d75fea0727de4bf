#pragma once

#include <cstddef>
#include <string_view>

namespace vantrok::sim::driver {

// Parameter markers ("?") outside string literals, quoted and bracketed
// names and comments.
std::size_t countParameterMarkers(std::string_view sql);

// SQL LIKE with % and _ (and \ escaping either), case-insensitive as SQL
// Server's default collation compares names.
bool likeMatch(std::string_view text, std::string_view pattern);

}  // namespace vantrok::sim::driver
