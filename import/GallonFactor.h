#pragma once

namespace vantrok {

// Litres per gallon; litres divided by it give gallons. Fixed in the program,
// as everything else it needs: it reads no configuration of any kind.
inline constexpr double GallonFactor = 4.546;

}  // namespace vantrok
