#pragma once

#include <string>

namespace vantrok::check {

// Writes to standard output at once, so a pipe or a monitoring agent sees
// each line as the tool gets to it.
void print(const std::string& text);

}  // namespace vantrok::check
