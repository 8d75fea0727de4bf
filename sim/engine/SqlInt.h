#pragma once

#include <cstdint>
#include <string_view>

namespace vantrok::sim {

enum class IntParse { Ok, Invalid, Overflow };

// Text to int as SQL Server converts varchar to int: blanks around, an
// optional sign, digits; blank or a lone sign is 0; nothing else.
IntParse parseSqlInt(std::string_view text, std::int32_t& value);

}  // namespace vantrok::sim

namespace vantrok::sim {

// A quoted literal compared with an int column: converted as SQL Server does,
// throwing its conversion errors (245, 248).
std::int32_t intFromLiteral(std::string_view literal);

}  // namespace vantrok::sim
