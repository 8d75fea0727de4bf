#pragma once

#include <iostream>
#include <string>

namespace vantrok::check {

// A line of standard input without its line break (LF or CR LF).
inline std::string standardInputLine() {
    std::string text;
    std::getline(std::cin, text);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

}  // namespace vantrok::check
