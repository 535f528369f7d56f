// The batch commands of the ICU reports: departments and stays.
#include "cli/CliCommands.h"

#include "foundation/FixedText.h"
#include "reports/StayLines.h"
#include "storage/Database.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kalmora {
namespace {

using Outcome = test::CliOutcome;

const std::filesystem::path kData = std::filesystem::path(KALMORA_TEST_DATA_DIR);

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// An installation with two imported departments, K002/12100101 first.
class ReportCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Run({"setup", (dir / "inst").string()}).Status, 0);
        const Outcome imported = Command({"import", (kData / "classification" / "A2100101X002.txt").string(),
                                          (kData / "import" / "cross_record_rules" / "A2510101X001.txt").string()});
        ASSERT_EQ(imported.Status, 0) << imported.Err;
    }

    Outcome Run(const std::vector<std::string>& arguments)
    {
        return test::RunCliInProcess(arguments, dir / "bin", 2024);
    }

    Outcome Command(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--ini", (dir / "inst" / "Kalmora11_0.ini").string()});
        return Run(arguments);
    }

    test::TempDir dir;
};

TEST_F(ReportCommandsTest, DepartmentsPrintsOneLinePerDepartmentInImportOrder)
{
    const Outcome outcome = Command({"departments"});

    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    const auto lines = SplitLines(outcome.Out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "K002 - Krankenhaus Nordstad  12100101 - " +
                            FitToWidth("Anästhesiologische Intensivstation", 41) + "   12100101X002 EXTERN");
    EXPECT_EQ(std::string(MidCharacters(lines[1], 1, 37)), "K001 - Klinikum Am Eichenha  12510101");
    EXPECT_EQ(std::string(MidCharacters(lines[1], 85, 12)), "12510101X001");
}

TEST_F(ReportCommandsTest, StaysPrintsLinesWhoseKeysAreTheStoredKeys)
{
    const Outcome outcome = Command({"stays", "K002/12100101"});

    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    const auto lines = SplitLines(outcome.Out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "1000000001   01.01.1960   10.01.2024, 12:00   14.01.2024, 09:00   INT   Inkorrekt ");
    EXPECT_EQ(lines[1], "1000000002   05.05.2015   01.02.2024, 08:00   02.02.2024, 10:00   INT   Korrekt   ");
    Database department(dir / "inst" / "system" / "12100101X002", OpenMode::ReadOnly);
    for (const auto& line : lines) {
        const auto stay = FindStay(department, SelectedStayOf(line, ""));
        ASSERT_TRUE(stay.has_value()) << line;
        EXPECT_EQ(StayLineText(*stay), line);
    }
}

TEST_F(ReportCommandsTest, BadArgumentsAndUnknownDepartments)
{
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"departments", "K002/12100101"}, 1, "Aufruf: kalmora-cli"},
        {{"stays"}, 1, "Aufruf: kalmora-cli"},
        {{"stays", "K002"}, 1, "KANR/ABTEILUNG"},
        {{"stays", "K002/12100101", "--all", "J"}, 1, "--all"},
        {{"stays", "K009/12345678"}, 2, "K009/12345678"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const Outcome outcome = Command(c.arguments);
        EXPECT_EQ(outcome.Status, c.status);
        EXPECT_EQ(outcome.Out, "");
        EXPECT_NE(outcome.Err.find(c.message), std::string::npos) << outcome.Err;
    }
}

}  // namespace
}  // namespace kalmora
