#pragma once

#include <string_view>

namespace vantrok {

// Fixed in the program: it reads no configuration of any kind.
inline constexpr std::string_view DbPassword = "qolvent4719ruk";
// Litres per gallon; litres divided by it give gallons.
inline constexpr double GallonFactor = 4.546;

}  // namespace vantrok
