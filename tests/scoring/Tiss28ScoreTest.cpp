#include "scoring/Tiss28Score.h"

#include "scoring/Tiss28Items.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace kalmora {
namespace {

// A survey day with every item "0" except the given columns.
Tiss28ItemValues Day(std::initializer_list<std::pair<std::string_view, std::string_view>> set)
{
    Tiss28ItemValues items;
    items.fill("0");
    for (const auto& [column, value] : set) {
        std::size_t index = 0;
        while (index < kTiss28Items.size() && kTiss28Items[index].Column != column)
            ++index;
        if (index == kTiss28Items.size())
            ADD_FAILURE() << "no item " << column;
        else
            items[index] = value;
    }
    return items;
}

TEST(Tiss28ScoreTest, ScoresOfSurveyDays)
{
    struct Case {
        std::string_view name;
        Tiss28ItemValues items;
        std::string_view expected;
    };
    Tiss28ItemValues allSet;
    allSet.fill("1");
    Tiss28ItemValues allBlank;
    allBlank.fill(" ");
    Tiss28ItemValues allEmpty;  // never written

    // clang-format off
    const Case cases[] = {
        {"no item set", Day({}), "000"},
        {"all blank", allBlank, "000"},
        {"all empty", allEmpty, "000"},
        {"monitoring and laboratory", Day({{"T28_STAND_MON", "1"}, {"T28_LAB", "1"}}), "006"},
        {"last item counts", Day({{"T28_DIAG_EX_ICU", "1"}}), "005"},
        // Of two items that exclude each other only the larger weight counts, whichever comes first.
        {"ventilation alone", Day({{"T28_MECH_VENT", "1"}}), "005"},
        {"support alone", Day({{"T28_SUPP_VENT", "1"}}), "002"},
        {"ventilation and support", Day({{"T28_MECH_VENT", "1"}, {"T28_SUPP_VENT", "1"}}), "005"},
        {"single and multiple medication", Day({{"T28_S_MED", "1"}, {"T28_M_MED", "1"}}), "003"},
        {"single and multiple vasoactive", Day({{"T28_S_VASODR", "1"}, {"T28_M_VASODR", "1"}}), "004"},
        {"single and multiple interventions", Day({{"T28_S_INT", "1"}, {"T28_M_INT", "1"}}), "005"},
        {"pairs add to each other", Day({{"T28_S_MED", "1"}, {"T28_SUPP_VENT", "1"}, {"T28_S_INT", "1"}}), "007"},
        {"all 28 items", allSet, "078"},
        // Only a numeric value of exactly 1 sets an item.
        {"2 is not set", Day({{"T28_PCL", "2"}}), "000"},
        {"leading blank is set", Day({{"T28_PCL", " 1"}}), "008"},
        {"1.0 is set", Day({{"T28_PCL", "1.0"}}), "008"},
        {"text is not set", Day({{"T28_PCL", "J"}}), "000"},
        {"-1 is not set", Day({{"T28_PCL", "-1"}}), "000"},
        {"1 after text is not set", Day({{"T28_PCL", "x1"}}), "000"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ComputeTiss28Score(c.items), c.expected);
    }
}

}  // namespace
}  // namespace kalmora
