#include "foundation/FixedText.h"

#include <gtest/gtest.h>

#include <string>

namespace kalmora {
namespace {

TEST(FixedTextTest, CutsAndPadsToTheWidthInCharacters)
{
    struct Case {
        std::string_view Text;
        std::size_t Width;
        std::string_view Expected;
    };
    const Case cases[] = {
        {"Error", 7, "Error  "},
        {"unknown", 2, "un"},
        {"unknown", 8, "unknown "},
        {"", 3, "   "},
        {"6", 2, "6 "},
        {"Müller", 4, "Müll"},        // an umlaut is one character, never split
        {"Ä", 3, "Ä  "},
        {"abc", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Text) + " / " + std::to_string(c.Width));
        EXPECT_EQ(FitToWidth(c.Text, c.Width), c.Expected);
        EXPECT_EQ(CharacterCount(FitToWidth(c.Text, c.Width)), c.Width);
    }
}

TEST(FixedTextTest, ComparesWithItsPadding)
{
    FixedText<7> level("Error");
    EXPECT_EQ(level.str(), "Error  ");
    EXPECT_TRUE(level == "Error  ");
    EXPECT_FALSE(level == "Error");
    EXPECT_EQ(level.Trimmed(), "Error");
    level = "Warning and more";
    EXPECT_EQ(level.str(), "Warning");
    EXPECT_EQ(FixedText<1>().str(), " ");
}

}  // namespace
}  // namespace kalmora
