#pragma once

#include <string>

namespace vantrok::check {

// A JSON string with its quotes; control characters escaped.
std::string jsonQuoted(const std::string& text);

}  // namespace vantrok::check
