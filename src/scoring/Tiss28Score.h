#pragma once

#include <array>
#include <string>

namespace kalmora {

// The 28 item fields of a survey day, in the order of kTiss28Items, as stored.
using Tiss28ItemValues = std::array<std::string, 28>;

// The day's TISS-28 score as three digits with leading zeros ("000" to "078"). An item counts when
// its numeric value is exactly 1; of two items that exclude each other only the larger weight counts.
std::string ComputeTiss28Score(const Tiss28ItemValues& items);

}  // namespace kalmora
