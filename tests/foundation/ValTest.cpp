#include "foundation/Val.h"

#include <gtest/gtest.h>

#include <string_view>

namespace kalmora {
namespace {

struct ValCase {
    std::string_view text;
    double expected;
};

TEST(ValTest, ReadsTheLeadingNumber)
{
    // clang-format off
    const ValCase cases[] = {
        {"1.5", 1.5},
        {"12,50", 12.0},  // "," ends the number
        {" 1 2", 12.0},
        {"1\t2\n3", 123.0},
        {"- 1 2 . 5", -12.5},
        {"+4", 4.0},
        {"-3.5", -3.5},
        {".5", 0.5},
        {"1.5D2", 150.0},
        {"1d-1", 0.1},
        {"2E3", 2000.0},
        {"1E", 1.0},  // an exponent without digits is not read
        {"12abc", 12.0},
        {"1.2.3", 1.2},
        {"007", 7.0},
        {"abc", 0.0},
        {"", 0.0},
        {"   ", 0.0},
        {"-", 0.0},
        {".", 0.0},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(Val(c.text), c.expected);
    }
}

}  // namespace
}  // namespace kalmora
