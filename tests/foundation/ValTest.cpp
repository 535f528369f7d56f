#include "foundation/Val.h"

#include "support/ValCases.h"

#include <gtest/gtest.h>

#include <string>

namespace kalmora {
namespace {

// The same table checks the SQL function Val in the storage tests.
TEST(ValTest, ReadsTheLeadingNumber)
{
    for (const auto& c : test::kValCases) {
        SCOPED_TRACE(std::string(c.Text));
        EXPECT_EQ(Val(c.Text), c.Expected);
    }
}

}  // namespace
}  // namespace kalmora
