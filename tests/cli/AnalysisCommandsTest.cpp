// The batch commands of the analysis and the export.
#include "cli/CliCommands.h"

#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/CliRunner.h"
#include "support/DepartmentRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kalmora {
namespace {

using Outcome = test::CliOutcome;

namespace fs = std::filesystem;

const fs::path kData = fs::path(KALMORA_TEST_DATA_DIR);

// An installation with two imported departments, K002/12100101 first.
class AnalysisCommandsTest : public ::testing::Test {
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

    fs::path System() const { return dir / "inst" / "system"; }
    fs::path Export() const { return dir / "inst" / "export"; }

    static std::int64_t Stays(const fs::path& file)
    {
        Database database(file, OpenMode::ReadOnly);
        return test::CountRows(database, kStaysTable);
    }

    test::TempDir dir;
};

const std::string kTitles = "KA\tAbteilung\tJahr\tMonat\tINT-Patienten\n";
const std::string kFirst = "K002 - Krankenhaus Nordstad\t12100101 - Anästhesiologische Intensivstation    \t";
const std::string kSecond = "K001 - Klinikum Am Eichenha\t12510101 - Internistische Intensivstation        \t";

TEST_F(AnalysisCommandsTest, AnalysePrintsWhatKopierenCopiesWithLineFeeds)
{
    std::string first;
    for (const char* month : {"01", "02", "03", "04"})
        first += kFirst + "2024\t" + month + "\t1\n";
    std::string second;
    for (const char* month : {"01", "02", "04"})
        second += kSecond + "2024\t" + month + "\t1\n";
    struct Case {
        std::vector<std::string> Departments;
        std::string Expected;
    };
    for (const auto& c : std::vector<Case>{
             {{"K002/12100101"}, kTitles + first},
             {{"K001/12510101"}, kTitles + second},
             // Named in any order, once or twice: in list order, once.
             {{"K001/12510101", "K002/12100101", "K001/12510101"}, kTitles + first + second},
         }) {
        std::vector<std::string> arguments{"analyse"};
        arguments.insert(arguments.end(), c.Departments.begin(), c.Departments.end());
        const Outcome outcome = Command(arguments);
        ASSERT_EQ(outcome.Status, 0) << outcome.Err;
        EXPECT_EQ(outcome.Out, c.Expected);
        EXPECT_EQ(outcome.Out.find('\r'), std::string::npos);
    }
    // None named: all, the same as both named.
    EXPECT_EQ(Command({"analyse"}).Out, Command({"analyse", "K002/12100101", "K001/12510101"}).Out);
}

TEST_F(AnalysisCommandsTest, AnalyseRefusesWhatItCannotDo)
{
    struct Case {
        const char* Name;
        std::vector<std::string> Arguments;
        int Status;
        std::string Message;
    };
    fs::remove(System() / "12510101X001");
    for (const auto& c : std::vector<Case>{
             {"unknown department", {"analyse", "K009/12100101"}, 2, "Die Abteilung K009/12100101 ist nicht angelegt."},
             {"no department key", {"analyse", "12100101"}, 1, "KANR/ABTEILUNG"},
             {"database gone", {"analyse", "K001/12510101"}, 2, "Analyse der Abteilung 12510101"},
         }) {
        SCOPED_TRACE(c.Name);
        const Outcome outcome = Command(c.Arguments);
        EXPECT_EQ(outcome.Status, c.Status);
        EXPECT_NE(outcome.Err.find(c.Message), std::string::npos) << outcome.Err;
    }
}

TEST_F(AnalysisCommandsTest, ExportWritesTheCombinedDatabaseIntoTheExportDirectory)
{
    const std::int64_t first = Stays(System() / "12100101X002");
    const std::int64_t second = Stays(System() / "12510101X001");

    Outcome outcome = Command({"export"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out, "Daten erfolgreich exportiert!\n");
    EXPECT_EQ(Stays(Export() / "gesamt.mdb"), first + second);

    outcome = Command({"export", "--output", "k002.mdb", "K002/12100101"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(Stays(Export() / "k002.mdb"), first);
}

TEST_F(AnalysisCommandsTest, ExportRefusesWhatItCannotDoAndWritesNothing)
{
    struct Case {
        const char* Name;
        std::vector<std::string> Arguments;
        int Status;
        std::string Message;
    };
    for (const auto& c : std::vector<Case>{
             {"name outside the export directory", {"export", "--output", "../gesamt.mdb"}, 2, "Ungültiger Dateiname!"},
             {"name too long", {"export", "--output", "gesamtdatenbank.mdb"}, 2, "Ungültiger Dateiname!"},
             {"unknown department", {"export", "K009/12100101"}, 2, "Die Abteilung K009/12100101 ist nicht angelegt."},
             {"unknown option", {"export", "--all", "x"}, 1, "Unbekannte Angabe --all."},
         }) {
        SCOPED_TRACE(c.Name);
        const Outcome outcome = Command(c.Arguments);
        EXPECT_EQ(outcome.Status, c.Status);
        EXPECT_NE(outcome.Err.find(c.Message), std::string::npos) << outcome.Err;
        EXPECT_EQ(outcome.Out, "");
        EXPECT_FALSE(fs::exists(Export() / "gesamt.mdb"));
        EXPECT_FALSE(fs::exists(dir / "inst" / "gesamt.mdb"));
    }

    // A template that can neither be used nor made anew: a folder of its name.
    fs::remove(System() / "ibds.mdb");
    fs::create_directories(System() / "ibds.mdb" / "Ordner");
    const Outcome outcome = Command({"export"});
    EXPECT_EQ(outcome.Status, 2);
    EXPECT_NE(outcome.Err.find("Die Vorlagendatenbank "), std::string::npos) << outcome.Err;
    EXPECT_FALSE(fs::exists(Export() / "gesamt.mdb"));
}

}  // namespace
}  // namespace kalmora
