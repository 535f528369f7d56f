#include "import/FieldChecks.h"

#include "import/ImportProtocol.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace kalmora {
namespace {

TEST(FieldChecksTest, CheckDateAcceptsOnlyCalendarDatesAndClockTimes)
{
    struct Case {
        std::string_view Value;
        int Length;
        std::int16_t Expected;
    };
    const Case cases[] = {
        {"20120229", 8, kDateValid16},        {"20110229", 8, kDateInvalid16},
        {"19000229", 8, kDateInvalid16},  // 1900 is no leap year
        {"20000229", 8, kDateValid16},        {"20120431", 8, kDateInvalid16},
        {"20121231", 8, kDateValid16},        {"20120001", 8, kDateInvalid16},
        {"20121301", 8, kDateInvalid16},      {"20120100", 8, kDateInvalid16},
        {"18491231", 8, kDateInvalid16},      {"18500101", 8, kDateValid16},
        {"22001231", 8, kDateValid16},        {"22010101", 8, kDateInvalid16},
        {"2012.1.1", 8, kDateInvalid16},      {"20120101.", 8, kDateInvalid16},  // a point anywhere, even past the date
        {"2012 1 5", 8, kDateValid16},                                           // blanks in place of leading zeros
        {"2012015x", 8, kDateValid16},                                           // the x ends the day's number
        {"201201x5", 8, kDateInvalid16},                                         // the day reads as 0
        {"        ", 8, kDateInvalid16},      {"", 8, kDateInvalid16},
        {"2012", 8, kDateInvalid16},          {"9E990101", 8, kDateInvalid16},  // a year far beyond 16 bits
        {"201203150800", 12, kDateValid16},   {"201203152359", 12, kDateValid16},
        {"201203152400", 12, kDateInvalid16}, {"201203150760", 12, kDateInvalid16},
        {"20120315", 12, kDateInvalid16},                                         // the time is missing
        {"20120315    ", 12, kDateInvalid16}, {"201203150800", 8, kDateValid16},  // the time is not looked at
        {"201202300800", 12, kDateInvalid16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Value) + " / " + std::to_string(c.Length));
        EXPECT_EQ(CheckDate(c.Value, c.Length), c.Expected);
    }
}

// The record key of the lines below, and how the protocol shows it.
constexpr std::string_view kKey = "3K00112ABC123000001234519500101201203150800";
constexpr std::string_view kKeyColumns = "K001;12ABC123;3;0000012345;19500101;201203150800";
constexpr std::string_view kFileName = "A2ABC123XK01";

enum class Check { NumberError, NumberWarning, RequiredNumber, AdmissionNumber };

struct NumberCase {
    std::string_view Name;
    Check Kind;
    std::string_view Line;  // after the key, or the whole line for the admission number
    int Start;
    int Width;
    std::int32_t Minimum;
    std::int32_t Maximum;
    std::int16_t StateBefore;
    std::string_view Returned;
    std::int16_t StateAfter;
    std::string_view Finding;  // "Typ;Parameter" of the protocol line, empty when none
};

class FieldChecksProtocolTest : public testing::Test {
protected:
    // Runs one check on a fresh protocol and returns what it wrote there.
    std::string Run(const NumberCase& c, std::string& returned, std::int16_t& state)
    {
        const auto file = m_dir / (std::string(c.Name) + ".dat");
        ImportProtocol protocol(file);
        protocol.SetImportFileName(kFileName);
        ImportChecks checks{protocol};
        checks.CheckState = c.StateBefore;

        const std::string line =
            c.Kind == Check::AdmissionNumber ? std::string(c.Line) : std::string(kKey) + std::string(c.Line);
        switch (c.Kind) {
        case Check::NumberError:
            returned = CheckNumberError(checks, "Testfeld", line, {c.Start, c.Width}, c.Minimum, c.Maximum);
            break;
        case Check::NumberWarning:
            returned = CheckNumberWarning(checks, "Testfeld", line, {c.Start, c.Width}, c.Minimum, c.Maximum);
            break;
        case Check::RequiredNumber:
            returned = CheckRequiredNumber(checks, "Testfeld", line, {c.Start, c.Width}, c.Minimum, c.Maximum);
            break;
        case Check::AdmissionNumber:
            returned = CheckAdmissionNumber(checks, line, {c.Start, c.Width});
            break;
        }
        state = checks.CheckState;
        EXPECT_FALSE(protocol.Close());
        return test::ReadText(file);
    }

    test::TempDir m_dir;
};

TEST_F(FieldChecksProtocolTest, NumberChecksReturnTheFieldAndReportOutOfRange)
{
    const NumberCase cases[] = {
        {"blank-optional", Check::NumberWarning, " ", 44, 1, 0, 1, kCheckOk, " ", kCheckOk, ""},
        {"beyond-line-end", Check::NumberError, "", 44, 3, 0, 1, kCheckOk, "   ", kCheckOk, ""},
        {"letter-reads-0", Check::NumberError, "X", 44, 1, 0, 1, kCheckOk, "X", kCheckOk, ""},
        {"above-range", Check::NumberError, "2", 44, 1, 0, 1, kCheckOk, "2", kCheckError, "Error;Testfeld"},
        {"below-range", Check::NumberError, "-1", 44, 2, 0, 1, kCheckOk, "-1", kCheckError, "Error;Testfeld"},
        {"fraction-above", Check::NumberError, "1.5", 44, 3, 0, 1, kCheckOk, "1.5", kCheckError, "Error;Testfeld"},
        {"inner-blank", Check::NumberError, "1 2", 44, 3, 0, 10, kCheckOk, "1 2", kCheckError, "Error;Testfeld"},
        {"unchanged-not-trimmed", Check::NumberError, " 7 ", 44, 3, 0, 10, kCheckOk, " 7 ", kCheckOk, ""},
        {"cut-by-line-end", Check::NumberWarning, "7", 44, 3, 0, 10, kCheckOk, "7", kCheckOk, ""},
        {"only-its-field", Check::NumberError, "19", 44, 1, 0, 1, kCheckOk, "1", kCheckOk, ""},
        {"error-over-warning", Check::NumberError, "2", 44, 1, 0, 1, kCheckWarning, "2", kCheckError, "Error;Testfeld"},
        {"first-warning", Check::NumberWarning, "2", 44, 1, 0, 1, kCheckOk, "2", kCheckWarning, "Warning;Testfeld"},
        {"warning-after-error", Check::NumberWarning, "2", 44, 1, 0, 1, kCheckError, "2", kCheckError,
         "Warning;Testfeld"},
        {"required-blank", Check::RequiredNumber, " ", 44, 1, 1, 4, kCheckOk, " ", kCheckError, "Error;Testfeld"},
        {"required-missing", Check::RequiredNumber, "", 44, 2, 1, 4, kCheckWarning, "  ", kCheckError,
         "Error;Testfeld"},
        {"required-above", Check::RequiredNumber, "5", 44, 1, 1, 4, kCheckOk, "5", kCheckError, "Error;Testfeld"},
        {"required-inside", Check::RequiredNumber, "4", 44, 1, 1, 4, kCheckOk, "4", kCheckOk, ""},
        {"admission-present", Check::AdmissionNumber, kKey, 14, 10, 0, 0, kCheckOk, "0000012345", kCheckOk, ""},
        {"admission-blank", Check::AdmissionNumber, "3K00112ABC123          19500101201203150800", 14, 10, 0, 0,
         kCheckWarning, "          ", kCheckError, "Error;KH-Aufnahmezahl"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Name));
        std::string returned;
        std::int16_t state = -1;
        const std::string text = Run(c, returned, state);
        EXPECT_EQ(returned, c.Returned);
        EXPECT_EQ(state, c.StateAfter);

        std::string expected;
        if (!c.Finding.empty()) {
            const std::string columns = c.Kind == Check::AdmissionNumber
                                            ? "K001;12ABC123;3;          ;19500101;201203150800"
                                            : std::string(kKeyColumns);
            expected +=
                std::string(kFileName) + ";" + columns + ";" + std::string(c.Finding) + ";Parameter ung\xFCltig\r\n";
        }
        EXPECT_EQ(text, expected);
    }
}

TEST(FieldChecksTest, CheckShortFileNameAcceptsEightPointThree)
{
    struct Case {
        std::string_view Name;
        bool Valid;
    };
    const Case cases[] = {
        {"protocol.dat", true},
        {"gesamt.mdb", true},
        {"12345678.txt", true},
        {"abcdefghijkl", true},  // 12 characters without a point
        {"abc.dat ", true},      // trailing blanks are not looked at
        {"a/b.dat", false},      // the file must stay in the directory it is joined to
        {"../x.dat", false},
        {"..\\x.dat", false},
        {"a\\b.dat", false},
        {"..", false},
        {".", false},
        {".. ", false},
        {"...", true},
        {"a_b@[x].z", true},
        {"abc.de.f", true},        // only the part before the first point is limited
        {"protokoll.dat", false},  // nine before the point
        {"12345678.text", false},
        {"abcdefghijklm", false},
        {"abc.dat      ", false},  // trailing blanks still count for the whole length
        {" abc.dat", false},
        {"abc-1.dat", false},
        {"abc!.dat", false},
        {"a b.dat", false},
        {"prötocol.dat", false},
        {"abc{.dat", false},
        {"", false},
        {"   ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("'" + std::string(c.Name) + "'");
        std::int16_t state = kCheckOk;
        CheckShortFileName(state, c.Name);
        EXPECT_EQ(state, c.Valid ? kCheckOk : kCheckInvalidShortFileName);
    }
}

}  // namespace
}  // namespace kalmora
