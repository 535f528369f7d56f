#include "foundation/Conversions.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace kalmora {
namespace {

TEST(ConversionsTest, ValidateCompactDate)
{
    struct Case {
        std::string_view date;
        std::int16_t expected;
    };
    // clang-format off
    const Case cases[] = {
        {"20240229", kDateValid},
        {"20000229", kDateValid},
        {"22001231", kDateValid},
        {"18500101", kDateValid},
        {"2024 1 5", kDateValid},  // blanks read like leading zeros
        {"20230229", kDateInvalid},
        {"21000229", kDateInvalid},
        {"18491231", kDateInvalid},
        {"22010101", kDateInvalid},
        {"20241301", kDateInvalid},
        {"20240001", kDateInvalid},
        {"2024010 ", kDateInvalid},  // day "0 "
        {"20240431", kDateInvalid},
        {"202401.5", kDateInvalid},  // the half goes to the even 0
        {"2024", kDateInvalid},
        {"", kDateInvalid},
        {"abcdefgh", kDateInvalid},
        {"9E999999", kDateInvalid},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date);
        EXPECT_EQ(ValidateCompactDate(c.date), c.expected);
    }
}

TEST(ConversionsTest, NormalizeDateInput)
{
    struct Case {
        std::string_view input;
        std::string_view defaultYear;
        std::string_view expected;
    };
    // clang-format off
    const Case cases[] = {
        {"20240131", "2000", "31.01.2024"},
        {" 20240131 ", "2000", "31.01.2024"},
        {"1.2.24", "2000", "01.02.2024"},
        {"1.2.5", "2000", "01.02.2005"},
        {"1.2.", "2000", "01.02.2000"},
        {"01.02.2024", "2000", "01.02.2024"},
        {"29.2.2024", "2000", "29.02.2024"},
        {"1.2.2024", "8", "01.02.2024"},
        // Rejected compact dates give one blank.
        {"20240431", "2000", " "},
        {"2024013", "2000", " "},
        {"2024013x", "2000", " "},
        {"202401311405", "2000", " "},
        {"heute", "2000", " "},
        // Rejected day.month.year inputs give an empty text.
        {"31.4.2024", "2000", ""},
        {"29.2.2023", "2000", ""},
        {"1.2", "2000", ""},
        {"123.2.2024", "2000", ""},
        {"1.123.2024", "2000", ""},
        {"1.2.20245", "2000", ""},
        {".2.2024", "2000", ""},
        {"3x.1.2024", "2000", ""},
        {"1.2.2 4", "2000", ""},
        {"1.2.24", "8", ""},  // a default year too short to complete the year
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " / " + std::string(c.defaultYear));
        EXPECT_EQ(NormalizeDateInput(c.input, c.defaultYear), c.expected);
    }
}

TEST(ConversionsTest, FormatAndParseDisplayDates)
{
    struct Case {
        std::string_view compact;
        int width;
        std::string_view display;
    };
    // clang-format off
    const Case roundTrips[] = {
        {"20240131", 8, "31.01.2024"},
        {"202401311405", 12, "31.01.2024, 14:05"},
    };
    // clang-format on
    for (const auto& c : roundTrips) {
        SCOPED_TRACE(c.compact);
        EXPECT_EQ(FormatCompactDate(c.compact, c.width), c.display);
        EXPECT_EQ(ParseDisplayDate(c.display, c.width), c.compact);
    }

    EXPECT_EQ(FormatCompactDate("", 8), std::string(10, ' '));
    EXPECT_EQ(FormatCompactDate("            ", 12), std::string(17, ' '));
    EXPECT_EQ(FormatCompactDate("2024", 8), "..2024");
    EXPECT_EQ(ParseDisplayDate("          ", 8), std::string(8, ' '));
    EXPECT_EQ(ParseDisplayDate("", 12), std::string(12, ' '));
    EXPECT_EQ(ParseDisplayDate("", 17), std::string(12, ' '));
    EXPECT_EQ(ParseDisplayDate("31.01", 8), "0131");
}

TEST(ConversionsTest, NextAndPreviousDayCrossMonthAndYearEnds)
{
    struct Case {
        std::string_view displayDate;
        std::string_view next;
        std::string_view previous;
    };
    // clang-format off
    const Case cases[] = {
        {"15.06.2024", "20240616", "20240614"},
        {"31.12.2024", "20250101", "20241230"},
        {"01.01.2024", "20240102", "20231231"},
        {"01.03.2024", "20240302", "20240229"},
        {"01.03.2023", "20230302", "20230228"},
        {"28.02.2024", "20240229", "20240227"},
        {"31.01.2024", "20240201", "20240130"},
        {"01.05.0999", "09990502", "09990430"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.displayDate);
        EXPECT_EQ(NextDayCompact(c.displayDate), c.next);
        EXPECT_EQ(PreviousDayCompact(c.displayDate), c.previous);
    }
}

TEST(ConversionsTest, DaysBetween)
{
    struct Case {
        std::string_view start;
        std::string_view end;
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {"20240101", "20241231", 365},
        {"20241231", "20240101", -365},
        {"20240301", "20240301", 0},
        {"20240228", "20240301", 2},
        {"20230228", "20230301", 1},
        {"19991231", "20000101", 1},
        {"202401011200", "202401020800", 1},  // the time of a date-time does not count
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " -> " + std::string(c.end));
        EXPECT_EQ(DaysBetween(c.start, c.end), c.expected);
    }
}

TEST(ConversionsTest, AgeInYears)
{
    struct Case {
        std::string_view birth;
        std::string_view reference;
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {"20080315", "20240314", 15},
        {"20080315", "20240315", 16},
        {"20080315", "202403150000", 16},
        {"20040229", "20230228", 18},
        {"20040229", "20230301", 19},
        {"20040229", "20240229", 20},
        {"20081231", "20090101", 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.birth) + " on " + std::string(c.reference));
        EXPECT_EQ(AgeInYears(c.birth, c.reference), c.expected);
    }
}

TEST(ConversionsTest, FullHoursBetween)
{
    struct Case {
        std::string_view start;
        std::string_view end;
        int expected;
    };
    // clang-format off
    const Case cases[] = {
        {"0830", "1015", 1},
        {"0815", "0915", 1},
        {"0816", "0915", 0},
        {"0800", "0800", 0},
        {"2200", "0600", -16},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " -> " + std::string(c.end));
        EXPECT_EQ(FullHoursBetween(c.start, c.end), c.expected);
    }
}

TEST(ConversionsTest, ZeroPadNumber)
{
    struct Case {
        std::string_view text;
        int width;
        std::string_view expected;
    };
    // clang-format off
    const Case cases[] = {
        {"7", 3, "007"},
        {" 42 ", 3, "042"},
        {"", 3, "   "},
        {"   ", 3, "   "},
        {"12,5", 4, "0125"},
        {"1.5", 3, "015"},
        {"-7", 3, "-07"},
        {"1234", 3, "1234"},  // longer than the width: no digit is cut off
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.width));
        EXPECT_EQ(ZeroPadNumber(c.text, c.width), c.expected);
    }
}

// Short, blank and garbage texts yield some text or number, never a crash.
TEST(ConversionsTest, GarbageInputIsHandled)
{
    const std::string_view texts[] = {"",
                                      " ",
                                      "x",
                                      ".",
                                      "..",
                                      "1.2.3.4.5",
                                      "\xc3\xa4.\xc3\xb6.\xc3\xbc",
                                      "9E99",
                                      "-9E99.-9E99.9E99",
                                      "99999999999999999999",
                                      "\xc3"};
    for (const auto text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ValidateCompactDate(text), kDateInvalid);
        EXPECT_NO_THROW(AgeInYears(text, text));
        EXPECT_NO_THROW(NormalizeDateInput(text, "2000"));
        EXPECT_NO_THROW(FormatCompactDate(text, 12));
        EXPECT_NO_THROW(ParseDisplayDate(text, 12));
        EXPECT_NO_THROW(NextDayCompact(text));
        EXPECT_NO_THROW(PreviousDayCompact(text));
        EXPECT_NO_THROW(DaysBetween(text, "20240101"));
        EXPECT_NO_THROW(FullHoursBetween(text, "1200"));
        EXPECT_NO_THROW(ZeroPadNumber(text, 3));
    }
}

}  // namespace
}  // namespace kalmora
