#include "foundation/NumberFormat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <locale>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kalmora {
namespace {

struct FormatCase {
    double value;
    std::string_view pattern;
    std::string_view expected;
};

// clang-format off
const FormatCase kFormatCases[] = {
    {2.675, "0.00", "2,68"},  // rounds the decimal value, not the binary 2.67499...
    {0.125, "0.00", "0,13"},
    {1.005, "0.00", "1,01"},
    {-2.675, "0.00", "-2,68"},
    {-0.004, "0.00", "0,00"},
    {-0.05, "0.0", "-0,1"},
    {0.0, "0.0", "0,0"},
    {1.5, "0.##", "1,5"},
    {2.0, "0.##", "2"},
    {0.126, "0.##", "0,13"},
    {1234.0, "#,##0", "1.234"},
    {123.0, "#,##0", "123"},
    {2.5, "#,##0", "3"},
    {-2.5, "#,##0", "-3"},
    {-1234.5, "#,##0", "-1.235"},
    {1e15, "#,##0", "1.000.000.000.000.000"},
    {1234.5, "#,##0.00", "1.234,50"},
    {999.995, "#,##0.00", "1.000,00"},
    {0.3, "#,##0.0", "0,3"},
    {12345.678, "###0.0", "12345,7"},
    {1234.5, "###0.00", "1234,50"},
    {1234567.0, "####", "1234567"},
    {1234567.0, "#,###", "1.234.567"},
    {0.5, "####", "1"},
    {0.0, "####", ""},
    {0.4, "#,###", ""},
    {-0.4, "#,###", ""},
};
// clang-format on

TEST(NumberFormatTest, FormatNumber)
{
    for (const auto& c : kFormatCases) {
        SCOPED_TRACE(std::to_string(c.value) + " as " + std::string(c.pattern));
        EXPECT_EQ(FormatNumber(c.value, c.pattern), c.expected);
    }
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity(), "0.00"), "");
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::quiet_NaN(), "0.00"), "");
    EXPECT_THROW(FormatNumber(1.0, "0.0 %"), std::invalid_argument);
}

// A German-looking C++ global locale and, where the machine has one, a German C locale must not
// change the formats or the reading.
TEST(NumberFormatTest, IndependentOfTheMachineLocale)
{
    struct CommaPunct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previousGlobal = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    const std::string previousC = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_AT.UTF-8", "de_DE"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) break;
    }

    for (const auto& c : kFormatCases) {
        SCOPED_TRACE(std::to_string(c.value) + " as " + std::string(c.pattern));
        EXPECT_EQ(FormatNumber(c.value, c.pattern), c.expected);
    }
    EXPECT_EQ(ParseGermanNumber("1.234,5"), 1234.5);
    EXPECT_EQ(ValidateNumberInput("12,5", 2, 6, false).NewText, "12,50");

    std::setlocale(LC_ALL, previousC.c_str());
    std::locale::global(previousGlobal);
}

TEST(NumberFormatTest, ParseGermanNumber)
{
    struct Case {
        std::string_view text;
        std::optional<double> expected;
    };
    // clang-format off
    const Case cases[] = {
        {"12,5", 12.5},
        {"1.234,50", 1234.5},
        {"12", 12.0},
        {"  -3,25 ", -3.25},
        {"+7", 7.0},
        {"1.234.567", 1234567.0},
        {"0,125", 0.125},
        {",5", 0.5},
        {"12,", 12.0},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"1,2,3", std::nullopt},
        {"1234.5", std::nullopt},  // a "." that is no grouping
        {"1.5", std::nullopt},
        {"1234.567", std::nullopt},
        {"1.23", std::nullopt},
        {"12.", std::nullopt},
        {".5", std::nullopt},
        {"1 234", std::nullopt},
        {"- 5", std::nullopt},
        {"-", std::nullopt},
        {",", std::nullopt},
        {"1e5", std::nullopt},
        {"12abc", std::nullopt},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseGermanNumber(c.text), c.expected);
    }
}

TEST(NumberFormatTest, ValidateNumberInput)
{
    const std::string invalid = "Die Eingabe ist ungültig!";
    const std::string negative = "Negative Werte sind unzulässig!";
    struct Case {
        std::string_view text;
        int decimals;
        int maxDigits;
        bool rejectNegative;
        std::optional<std::string> NewText;
        std::optional<std::string> ErrorText;
    };
    // clang-format off
    const Case cases[] = {
        {"   ", 2, 6, false, std::nullopt, std::nullopt},
        {"abc", 2, 6, false, std::nullopt, invalid},
        {"1234.5", 2, 10, false, std::nullopt, invalid},
        {"-5", 0, 3, true, std::nullopt, negative},
        {"-5", 0, 3, false, "-5", std::nullopt},
        {"-0", 2, 6, true, "0,00", std::nullopt},
        {"0", 0, 3, false, "", std::nullopt},
        {"12,5", 2, 6, false, "12,50", std::nullopt},
        {"0,125", 2, 6, false, "0,13", std::nullopt},
        {"1.234,50", 2, 8, false, "1.234,50", std::nullopt},
        {"12345", 2, 6, false, "12345", "Maximal 6 Stellen zulässig!"},
        {"1.234,50", 2, 6, false, "1234,5", "Maximal 6 Stellen zulässig!"},
        {"999,995", 2, 6, false, "999,995", "Maximal 6 Stellen zulässig!"},  // rounds to 1000,00
        {"999,99", 2, 6, false, "999,99", std::nullopt},
        {"12,5", 0, 3, false, "13", std::nullopt},
        {"999", 0, 3, false, "999", std::nullopt},
        {"1234", 0, 3, false, "1234", "Maximal 3 Stellen zulässig!"},
        {"1.234", 0, 4, false, "1.234", std::nullopt},
        {"2,5", 1, 4, false, "2,5", std::nullopt},
        {"0,04", 1, 4, false, "0,0", std::nullopt},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.decimals) + " / " + std::to_string(c.maxDigits));
        const NumberInputDecision decision = ValidateNumberInput(c.text, c.decimals, c.maxDigits, c.rejectNegative);
        EXPECT_EQ(decision.NewText, c.NewText);
        EXPECT_EQ(decision.ErrorText, c.ErrorText);
    }
}

// Leaving a field a second time must not change what the first time left in it: the display
// form ("12,50", "1.234,50") reads back as the same value.
TEST(NumberFormatTest, ValidateNumberInputTwiceKeepsTheText)
{
    struct Case {
        std::string_view text;
        int decimals;
        int maxDigits;
    };
    // clang-format off
    const Case cases[] = {
        {"12,5", 2, 6}, {"12,50", 2, 6},   {"1.234,50", 2, 10}, {"1.234,50", 2, 6},
        {"1234", 0, 5}, {"0,125", 2, 6},   {"7", 1, 4},         {"12,5", 0, 3},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.decimals) + " / " + std::to_string(c.maxDigits));
        const std::string first =
            ValidateNumberInput(c.text, c.decimals, c.maxDigits, false).NewText.value_or(std::string(c.text));
        const std::string second = ValidateNumberInput(first, c.decimals, c.maxDigits, false).NewText.value_or(first);
        EXPECT_EQ(second, first);
        EXPECT_EQ(ParseGermanNumber(second), ParseGermanNumber(first));
    }
}

}  // namespace
}  // namespace kalmora
