// The batch import command: what it prints, when it asks and stops, and that a stop changes nothing.
#include "cli/CliCommands.h"

#include "foundation/IniFile.h"
#include "foundation/SafeFile.h"
#include "storage/Database.h"
#include "support/DepartmentRows.h"
#include "support/Files.h"
#include "support/CliRunner.h"
#include "support/SimulatedFaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace kalmora {
namespace {

const std::filesystem::path kCases = std::filesystem::path(KALMORA_TEST_DATA_DIR) / "import";

constexpr std::string_view kTitles = "Datei\tKA\tAbteilung\t#Patienten\tdavon importiert\tKommentar\n";
constexpr std::string_view kProtocolHeader =
    "Datei;Krankenanstalt;Abteilung;Satzart;KH-Aufnahmezahl;Geburtsdatum;Aufnahmezeitpunkt;Typ;Parameter;Kommentar"
    "\r\n";

using Outcome = test::CliOutcome;

class ImportCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Run({"setup", Installation().string()}).Status, 0); }

    Outcome Run(const std::vector<std::string>& arguments)
    {
        return test::RunCliInProcess(arguments, dir / "bin", 2024);
    }

    // "kalmora-cli --ini <settings> import <arguments>"
    Outcome Import(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--ini", (Installation() / "Kalmora11_0.ini").string(), "import"});
        return Run(arguments);
    }

    std::filesystem::path Installation() const { return dir / "inst"; }
    std::filesystem::path Export() const { return Installation() / "export"; }

    // Every file of the installation with its bytes.
    std::map<std::string, std::string> Snapshot() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Installation())) {
            if (entry.is_regular_file()) files[entry.path().string()] = test::ReadText(entry.path());
        }
        return files;
    }

    std::int64_t StoredStays()
    {
        Database db(Installation() / "system" / "12100101X002", OpenMode::ReadOnly);
        return test::CountRows(db, "Gesamt - Patientenadministration");
    }

    test::TempDir dir;
};

std::string CaseFile(std::string_view caseName, std::string_view file)
{
    return (kCases / caseName / file).string();
}

TEST_F(ImportCommandTest, PrintsTheResultTableWithOneLinePerFile)
{
    const Outcome outcome =
        Import({CaseFile("new_department", "A2100101X002.txt"), CaseFile("cross_record_rules", "A2510101X001.txt")});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out,
              std::string(kTitles) +
                  "A2100101X002\tK002 - Krankenhaus Nordstad\t12100101 - Anästhesiologische Intensivstation    "
                  "\t 2    \t 2    \t\n"
                  "A2510101X001\tK001 - Klinikum Am Eichenha\t12510101 - Internistische Intensivstation        "
                  "\t 5    \t 3    \tDetailinformation siehe Protokolldatei\n");
    EXPECT_EQ(outcome.Err, "");
    EXPECT_TRUE(test::ReadText(Export() / "protocol.dat").starts_with(kProtocolHeader));
}

TEST_F(ImportCommandTest, FileThatIsNotImportedStillCompletesTheRun)
{
    const Outcome outcome = Import({CaseFile("other_record_kind", "A2100101X002.txt")});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out, std::string(kTitles) +
                               "A2100101X002\tK002 - Krankenhaus Nordstad\t12100101 - Anästhesiologische "
                               "Intensivstation    \t      \t      \tnur gültige Satzarten verarbeitbar\n");
}

TEST_F(ImportCommandTest, ExistingProtocolIsOverwrittenOnlyWithYes)
{
    test::WriteText(Export() / "protocol.dat", "letzter Lauf\r\n");
    const auto before = Snapshot();

    const Outcome refused = Import({CaseFile("new_department", "A2100101X002.txt")});
    EXPECT_EQ(refused.Status, cli::kExitFailure);
    EXPECT_EQ(refused.Out, "");
    EXPECT_NE(refused.Err.find("Bestehende Protokolldatei überschreiben ?"), std::string::npos) << refused.Err;
    EXPECT_TRUE(Snapshot() == before) << "the refused command changed files";

    const Outcome confirmed = Import({"--yes", CaseFile("new_department", "A2100101X002.txt")});
    ASSERT_EQ(confirmed.Status, 0) << confirmed.Err;
    EXPECT_EQ(test::ReadText(Export() / "protocol.dat"), kProtocolHeader);
    EXPECT_EQ(StoredStays(), 2);
}

TEST_F(ImportCommandTest, EmptyProtocolIsOverwrittenWithoutAsking)
{
    test::WriteText(Export() / "protocol.dat", "");
    const Outcome outcome = Import({CaseFile("new_department", "A2100101X002.txt")});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Err, "");
}

TEST_F(ImportCommandTest, InitialisingIsDoneOnlyWithYes)
{
    ASSERT_EQ(Import({CaseFile("initialise", "A2100101X002.txt")}).Status, 0);
    ASSERT_EQ(StoredStays(), 2);
    std::filesystem::remove(Export() / "protocol.dat");
    const auto before = Snapshot();

    const Outcome refused = Import({"--initialise", CaseFile("initialise", "B2100101X002.txt")});
    EXPECT_EQ(refused.Status, cli::kExitFailure);
    EXPECT_EQ(refused.Out, "");
    EXPECT_NE(refused.Err.find("vor dem Import löschen"), std::string::npos) << refused.Err;
    EXPECT_TRUE(Snapshot() == before) << "the refused command changed files";

    const Outcome confirmed = Import({"--initialise", "--yes", CaseFile("initialise", "B2100101X002.txt")});
    ASSERT_EQ(confirmed.Status, 0) << confirmed.Err;
    // The stored stays are gone; only the file's one stay is left.
    EXPECT_EQ(StoredStays(), 1);
}

TEST_F(ImportCommandTest, InvalidProtocolNameStopsBeforeAnythingIsWritten)
{
    // A name that leaves the export directory is refused before the question about overwriting: --yes
    // answers nothing.
    for (const char* name : {"protokoll.dat", "abc-1.dat", " abc.dat", "../x.dat", "a/b.dat", "..", "..\\x.dat"}) {
        SCOPED_TRACE(name);
        const auto before = Snapshot();
        const Outcome outcome = Import({"--yes", "--protocol", name, CaseFile("new_department", "A2100101X002.txt")});
        EXPECT_EQ(outcome.Status, cli::kExitFailure);
        EXPECT_EQ(outcome.Out, "");
        EXPECT_NE(outcome.Err.find("Ungültiger Dateiname!"), std::string::npos) << outcome.Err;
        EXPECT_TRUE(Snapshot() == before) << "the refused command changed files";
    }
}

// With the export directory set to the system directory, the protocol must not replace the
// program's own files: refused before anything is asked or written, --yes or not.
TEST_F(ImportCommandTest, ProtocolNeverReplacesAFileOfTheSystemDirectory)
{
    ASSERT_EQ(Import({CaseFile("new_department", "A2100101X002.txt")}).Status, 0);
    WriteProfileString(Installation() / "Kalmora11_0.ini", "Path", "ExportDataPath",
                       (Installation() / "system").string());
    for (const char* name :
         {"iadmin.mdb", "12100101X002", "kalmora.lock", "kalmora.log", "IADMIN.MDB", "Ibds.Mdb", "12100101x002"}) {
        SCOPED_TRACE(name);
        const auto before = Snapshot();
        const Outcome outcome = Import({"--yes", "--protocol", name, CaseFile("new_department", "A2100101X002.txt")});
        EXPECT_EQ(outcome.Status, cli::kExitFailure);
        EXPECT_NE(outcome.Err.find("würde eine Datei des Systemverzeichnisses ersetzen"), std::string::npos)
            << outcome.Err;
        EXPECT_TRUE(Snapshot() == before) << "the refused command changed files";
    }
}

// A run that completes with a file not stored ends with its own status, so a nightly script sees it.
TEST_F(ImportCommandTest, AFileThatCouldNotBeStoredEndsWithStatusThree)
{
    ASSERT_EQ(Import({CaseFile("append", "A2100101X002.txt")}).Status, 0);
    // Storing into the stored department needs the template, which can neither be used nor made
    // anew: a folder of its name.
    std::filesystem::remove(Installation() / "system" / "ibds.mdb");
    std::filesystem::create_directories(Installation() / "system" / "ibds.mdb" / "Ordner");
    const Outcome outcome = Import({"--yes", CaseFile("append", "B2100101X002.txt")});
    EXPECT_EQ(outcome.Status, cli::kExitNotStored);
    EXPECT_NE(outcome.Out.find("schwerwiegende Dateninkonsistenz"), std::string::npos) << outcome.Out;
}

// A protocol that cannot be written at the end of a run that stored files: the result table is
// printed, the message says why and where the findings were kept, the earlier protocol stays as it
// was, and the status tells a script that files were stored without their protocol.
TEST_F(ImportCommandTest, AProtocolThatCannotBeWrittenKeepsItsFindingsBesideIt)
{
    ASSERT_EQ(Import({CaseFile("new_department", "A2100101X002.txt")}).Status, 0);
    const std::string earlier = test::ReadText(Export() / "protocol.dat");
    Outcome outcome;
    {
        const test::SimulatedFaults failing("fail-sync=protocol.dat" + std::string(kBuildingSuffix));
        outcome = Import({"--yes", CaseFile("rejected_stays", "A2100101X002.txt")});
    }
    EXPECT_EQ(outcome.Status, cli::kExitProtocolNotWritten) << outcome.Err;
    EXPECT_TRUE(outcome.Out.starts_with("Datei\tKA\tAbteilung")) << outcome.Out;
    EXPECT_NE(outcome.Out.find("A2100101X002"), std::string::npos) << outcome.Out;
    EXPECT_NE(outcome.Err.find("Das Protokoll konnte nicht geschrieben werden: "), std::string::npos) << outcome.Err;
    EXPECT_EQ(test::ReadText(Export() / "protocol.dat"), earlier);
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(Export())) {
        if (entry.path().filename().string().starts_with("protocol.nicht-gespeichert-")) kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_NE(outcome.Err.find(kept[0].string()), std::string::npos) << outcome.Err;
    const std::string findings = test::ReadText(kept[0]);
    EXPECT_TRUE(findings.starts_with(std::string(kProtocolHeader))) << findings;
    EXPECT_NE(findings.find("A2100101X002.txt;K002;12100101;1;"), std::string::npos) << findings;
    // Nothing stored: the status is that of a failure.
    const test::SimulatedFaults failing("fail-sync=protocol.dat" + std::string(kBuildingSuffix));
    EXPECT_EQ(Import({"--yes", CaseFile("invalid_file_names", "T2100101X002.txt")}).Status, cli::kExitFailure);
}

TEST_F(ImportCommandTest, OtherProtocolNameIsWrittenInTheExportDirectory)
{
    const Outcome outcome = Import({"--protocol", "lauf1.txt", CaseFile("new_department", "A2100101X002.txt")});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(test::ReadText(Export() / "lauf1.txt"), kProtocolHeader);
    EXPECT_FALSE(std::filesystem::exists(Export() / "protocol.dat"));
}

TEST_F(ImportCommandTest, WithoutFilesIsAUsageError)
{
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"--yes"}, std::vector<std::string>{"--initialise"}}) {
        const Outcome outcome = Import(arguments);
        EXPECT_EQ(outcome.Status, cli::kExitUsage);
        EXPECT_TRUE(outcome.Err.starts_with("kalmora-cli: ")) << outcome.Err;
        EXPECT_EQ(outcome.Out, "");
    }
}

TEST_F(ImportCommandTest, StoppedRunFailsWithoutATable)
{
    const Outcome outcome = Import({(dir / "fehlt" / "A2100101X002.txt").string()});
    EXPECT_EQ(outcome.Status, cli::kExitFailure);
    EXPECT_EQ(outcome.Out, "");
    EXPECT_NE(outcome.Err.find("Fehlerursache unbekannt!"), std::string::npos) << outcome.Err;
}

}  // namespace
}  // namespace kalmora
