#include "scoring/Tiss28Score.h"

#include "foundation/Conversions.h"
#include "foundation/Val.h"
#include "scoring/Tiss28Items.h"

#include <algorithm>
#include <string>

namespace kalmora {

namespace {

constexpr int kPairCount = 4;  // pairs 'A' to 'D'

constexpr bool PairsAreValid()
{
    for (const auto& item : kTiss28Items) {
        if (item.Pair != 0 && (item.Pair < 'A' || item.Pair >= 'A' + kPairCount)) return false;
    }
    return true;
}
static_assert(PairsAreValid(), "every pair of TISS-28 items is one of 'A' to 'D'");

}  // namespace

std::string ComputeTiss28Score(const Tiss28ItemValues& items)
{
    int score = 0;
    int pairPoints[kPairCount] = {};
    for (std::size_t index = 0; index < kTiss28Items.size(); ++index) {
        // "1", " 1" and "1.0" are set; "0", "2", blank and text are not.
        if (Val(items[index]) != 1.0) continue;
        const Tiss28Item& item = kTiss28Items[index];
        if (item.Pair == 0) {
            score += item.Weight;
        } else {
            // Items of a pair exclude each other; a day that has both gets the larger weight, not the sum.
            int& points = pairPoints[item.Pair - 'A'];
            points = std::max(points, item.Weight);
        }
    }
    for (int points : pairPoints)
        score += points;
    return ZeroPadNumber(std::to_string(score), 3);
}

}  // namespace kalmora
