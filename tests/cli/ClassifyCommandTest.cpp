// The batch commands of the classification: classify and department.
#include "cli/CliCommands.h"

#include "foundation/FixedText.h"
#include "storage/FileSafety.h"
#include "support/CliRunner.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

std::vector<std::string> Cells(const std::string& line)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find('\t', start)) != std::string::npos; start = end + 1)
        cells.push_back(line.substr(start, end - start));
    cells.push_back(line.substr(start));
    return cells;
}

// An installation with two imported departments: K001/12510101 and K002/12100101.
class ClassifyCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Run({"setup", (dir / "inst").string()}).Status, 0);
        // Every stay of the classification fixture is kept only with the lenient checks.
        std::string ini = test::ReadText(Ini());
        const auto at = ini.find("PlausLevel=");
        ASSERT_NE(at, std::string::npos);
        ini.replace(at, ini.find('\n', at) - at, "PlausLevel=Warning");
        std::ofstream(Ini(), std::ios::binary) << ini;
        const Outcome imported = Command({"import", (kData / "classification" / "A2100101X002.txt").string(),
                                          (kData / "import" / "cross_record_rules" / "A2510101X001.txt").string()});
        ASSERT_EQ(imported.Status, 0) << imported.Err;
    }

    Outcome Run(const std::vector<std::string>& arguments)
    {
        return test::RunCliInProcess(arguments, dir / "bin", 2024);
    }

    // "kalmora-cli --ini <settings> <arguments>"
    Outcome Command(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--ini", Ini().string()});
        return Run(arguments);
    }

    std::filesystem::path Ini() const { return dir / "inst" / "Kalmora11_0.ini"; }

    test::TempDir dir;
};

TEST_F(ClassifyCommandTest, DepartmentSetsBaseDataAndPrintsTheEntry)
{
    struct Step {
        std::vector<std::string> options;
        std::string columns30to62;
    };
    const Step steps[] = {
        {{}, "  0,00      0      0.00          "},
        {{"--dgkp", "4.6", "--beds", "2"}, "  4,60      2      2,30          "},
        {{"--pre", "E1"}, "  4,60      2      2,30        E1"},
        {{"--dgkp", "12,5"}, " 12,50      2      6,25        E1"},
        {{"--pre", "none", "--beds", "0"}, " 12,50      0      0,00          "},
    };
    for (const auto& step : steps) {
        std::vector<std::string> arguments{"department", "K002/12100101"};
        arguments.insert(arguments.end(), step.options.begin(), step.options.end());
        SCOPED_TRACE(arguments.size());
        const Outcome outcome = Command(arguments);
        ASSERT_EQ(outcome.Status, 0) << outcome.Err;
        ASSERT_EQ(CharacterCount(outcome.Out), 192u);
        EXPECT_EQ(std::string(MidCharacters(outcome.Out, 1, 29)), "K002 - Krankenhaus Nordstad  ");
        EXPECT_EQ(std::string(MidCharacters(outcome.Out, 30, 33)), step.columns30to62);
        EXPECT_EQ(std::string(MidCharacters(outcome.Out, 180, 13)), "12100101X002\n");
    }
}

TEST_F(ClassifyCommandTest, ClassifiesANamedDepartmentWithTheSettings)
{
    ASSERT_EQ(Command({"department", "K002/12100101", "--dgkp", "4,6", "--beds", "2"}).Status, 0);
    const std::string iniBefore = test::ReadText(Ini());

    const Outcome outcome = Command({"classify", "K002/12100101"});

    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    const auto lines = SplitLines(outcome.Out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Cells(lines[0]).front(), "KA");
    EXPECT_EQ(Cells(lines[0]).back(), "Kommentar");
    const std::vector<std::string> expected{
        "K002 - Krankenhaus Nordstad",
        FitToWidth("12100101 - Anästhesiologische Intensivstation", 111),
        FitToWidth("Stufe 1", 24),
        "1.014",
        "30,0",
        "24,0",
        "2,0",
        "2,30",
        "0,3",
        "20,0",
        "946",
        "3,4",
        "8",
        "6",
        "1",
        "N",
        "J",
        "6 ",
        "01.01.2024",
        "31.12.2024",
        "2",
        "4,6",
        "  ",
        "* TISS-Tage-Anteil von Kindern <16 Jahren ist >5% ** Auslastung <35% *",
    };
    EXPECT_EQ(Cells(lines[1]), expected);
    EXPECT_EQ(test::ReadText(Ini()), iniBefore);
}

TEST_F(ClassifyCommandTest, OptionsReplaceTheSettingsForThisCallOnly)
{
    const std::string iniBefore = test::ReadText(Ini());
    const Outcome outcome = Command({"classify", "--from", "1.1.24", "--to", "20240331", "--min-hours", "4",
                                     "--multiple-tiss", "N", "--replacement-tiss", "J", "K002/12100101"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    const auto lines = SplitLines(outcome.Out);
    ASSERT_EQ(lines.size(), 2u);
    const auto cells = Cells(lines[1]);
    ASSERT_EQ(cells.size(), 24u);
    EXPECT_EQ(cells[15], "J");
    EXPECT_EQ(cells[16], "N");
    EXPECT_EQ(cells[17], "4 ");
    EXPECT_EQ(cells[18], "01.01.2024");
    EXPECT_EQ(cells[19], "31.03.2024");
    EXPECT_EQ(test::ReadText(Ini()), iniBefore);
}

TEST_F(ClassifyCommandTest, WithoutNamesEveryListedDepartmentInListOrder)
{
    const Outcome outcome = Command({"classify", "K002/12100101", "K001/12510101"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(Command({"classify"}).Out, outcome.Out);
    const auto lines = SplitLines(outcome.Out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(lines[1].starts_with("K001 - ")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("K002 - ")) << lines[2];
}

TEST_F(ClassifyCommandTest, BadArgumentsAreUsageErrors)
{
    const std::vector<std::string> cases[] = {
        {"classify", "--from", "30.02.2024"},
        {"classify", "--to", "morgen"},
        {"classify", "--min-hours", "25"},
        {"classify", "--min-hours", "-1"},
        {"classify", "--multiple-tiss", "ja"},
        {"classify", "--replacement-tiss", "X"},
        {"classify", "--beds", "2"},
        {"classify", "K002"},
        {"classify", "K002/"},
        {"department"},
        {"department", "K002/12100101", "K001/12510101"},
        {"department", "K002/12100101", "--dgkp", "abc"},
        {"department", "K002/12100101", "--dgkp", "12345"},
        {"department", "K002/12100101", "--beds", "1000"},
        {"department", "K002/12100101", "--pre", "E4"},
    };
    const std::string entry = Command({"department", "K002/12100101"}).Out;
    for (const auto& arguments : cases) {
        SCOPED_TRACE(arguments.back());
        const Outcome outcome = Command(arguments);
        EXPECT_EQ(outcome.Status, 1);
        EXPECT_EQ(outcome.Out, "");
        EXPECT_NE(outcome.Err.find("Aufruf: kalmora-cli"), std::string::npos);
    }
    EXPECT_EQ(Command({"department", "K002/12100101"}).Out, entry);
}

// A department whose database cannot be read is left out of the table, named with its reason, and
// the call ends with status 2, whether it was named or not: it is registered, not unknown.
TEST_F(ClassifyCommandTest, ADepartmentThatCannotBeReadIsNamedAndFailsTheCall)
{
    const auto department = dir / "inst" / "system" / "12510101X001";
    std::ofstream(department, std::ios::binary | std::ios::trunc) << "keine Datenbank";
    for (const auto& arguments :
         {std::vector<std::string>{"classify"}, std::vector<std::string>{"classify", "K001/12510101"},
          std::vector<std::string>{"classify", "K002/12100101", "K001/12510101"}}) {
        SCOPED_TRACE(arguments.back());
        const Outcome outcome = Command(arguments);
        EXPECT_EQ(outcome.Status, 2);
        EXPECT_NE(outcome.Err.find("Abteilung K001/12510101 (12510101X001) kann nicht gelesen werden: "),
                  std::string::npos)
            << outcome.Err;
        EXPECT_EQ(outcome.Err.find("nicht angelegt"), std::string::npos) << outcome.Err;
        // The others are classified all the same.
        const auto lines = SplitLines(outcome.Out);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.size(), arguments.size() == 2 ? 1u : 2u) << outcome.Out;
        EXPECT_EQ(outcome.Out.find("K001 - "), std::string::npos) << outcome.Out;
    }
}

TEST_F(ClassifyCommandTest, UnknownDepartmentOrHeldLockFails)
{
    for (const auto& arguments : {std::vector<std::string>{"classify", "K009/12345678"},
                                  std::vector<std::string>{"department", "K009/12345678", "--beds", "2"}}) {
        const Outcome outcome = Command(arguments);
        EXPECT_EQ(outcome.Status, 2);
        EXPECT_NE(outcome.Err.find("K009/12345678"), std::string::npos) << outcome.Err;
    }

    const ExclusiveLock importRunning(dir / "inst" / "system" / "kalmora.lock");
    for (const auto& arguments : {std::vector<std::string>{"classify"},
                                  std::vector<std::string>{"department", "K002/12100101", "--beds", "2"}}) {
        const Outcome outcome = Command(arguments);
        EXPECT_EQ(outcome.Status, 2);
        EXPECT_EQ(outcome.Out, "");
        EXPECT_NE(outcome.Err.find("arbeitet gerade"), std::string::npos) << outcome.Err;
    }
}

}  // namespace
}  // namespace kalmora
