#pragma once

#include <array>
#include <cstddef>

#include "db/Value.h"

namespace vantrok {

// Which import a daily sale belongs to; it decides positions 8 and 11.
enum class ImportKind { Live, Offline };

inline constexpr std::size_t dailySalePositions = 24;
// The values of one daily-sale write; index 0 holds position 1.
using SaleValues = std::array<db::Value, dailySalePositions>;

}  // namespace vantrok
