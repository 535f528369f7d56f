// Imports the files of each case folder under tests/data/import and compares, as text, the result
// rows and protocol of every run and the stored databases afterwards with the case's expected.txt.
// A case's runs.txt has one run per line: the files to import, in order, and the words
// "initialise" (discard the departments' stored stays) or "strict" (PlausLevel Error).
// KALMORA_UPDATE_EXPECTED=1 writes the actual text to expected.txt instead, for review.
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "foundation/Windows1252.h"
#include "import/ImportRun.h"
#include "storage/Database.h"
#include "storage/Setup.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

namespace kalmora {
namespace {

const std::filesystem::path kCases = std::filesystem::path(KALMORA_TEST_DATA_DIR) / "import";

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string Unix(std::string text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            result += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

void DumpQuery(Database& db, const std::string& sql, std::ostream& out)
{
    auto rows = db.Prepare(sql);
    while (rows.Step()) {
        for (int column = 0; column < rows.ColumnCount(); ++column) {
            out << (column ? "|" : "") << (rows.IsNull(column) ? std::string("NULL") : rows.Text(column));
        }
        out << '\n';
    }
}

// Every registered department with its stays, records and survey days.
std::string DumpDatabases(const std::filesystem::path& system)
{
    std::ostringstream out;
    Database admin(system / "iadmin.mdb", OpenMode::ReadOnly);
    auto departments = admin.Prepare("SELECT \"KANR\", \"ABTEILUNG\", \"MDB_DATEI\", \"SBETT\", \"DGKP\", "
                                     "\"Status\", \"VOREINSTUFUNG\" FROM \"Dateiverwaltung\" ORDER BY rowid");
    std::set<std::filesystem::path> known = {"iadmin.mdb", "ibds.mdb", "kalmora.lock"};
    while (departments.Step()) {
        known.insert(std::string(TrimBlanks(departments.Text(2))));
        out << "department " << departments.Text(0) << "|" << departments.Text(1) << "|" << departments.Text(2) << "|"
            << departments.Double(3) << "|" << departments.Double(4) << "|" << departments.Text(5) << "|"
            << departments.Text(6) << "|\n";
        Database db(system / TrimBlanks(departments.Text(2)), OpenMode::ReadOnly);
        auto integrity = db.Prepare("PRAGMA integrity_check");
        integrity.Step();
        if (integrity.Text(0) != "ok") out << "integrity: " << integrity.Text(0) << '\n';
        out << "stays: KA_ID|ICU_FUN_ID|ICU_FUN_SID|KIS_ID|DOB|ADM_DATE|DIS_DATE|DIS_YEARMONTH|BD|STUNDEN|Alter|"
               "ICU_OUTCOME|TYP|FLAG|Satzart_1|Satzart_3\n";
        DumpQuery(db,
                  "SELECT \"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\", \"KIS_ID\", \"DOB\", \"ADM_DATE\", \"DIS_DATE\", "
                  "\"DIS_YEARMONTH\", \"BD\", \"STUNDEN\", \"Alter\", \"ICU_OUTCOME\", \"TYP\", \"FLAG\", "
                  "\"Satzart_1\", \"Satzart_3\" FROM \"Gesamt - Patientenadministration\" ORDER BY rowid",
                  out);
        out << "type 1: KIS_ID|DOB|ADM_DATE|DIS_DATE|ICU_OUTCOME|HOSP_DIS_DATE|HOSP_MORT\n";
        DumpQuery(db,
                  "SELECT \"KIS_ID\", \"DOB\", \"ADM_DATE\", \"DIS_DATE\", \"ICU_OUTCOME\", \"HOSP_DIS_DATE\", "
                  "\"HOSP_MORT\" FROM \"Satzart 1 - Patientenadministration Intensiv\" ORDER BY rowid",
                  out);
        out << "type 3: KIS_ID|ADM_DATE|REC_DATE|QUALIFIER|T28_SCORE|STUNDEN\n";
        DumpQuery(db,
                  "SELECT \"KIS_ID\", \"ADM_DATE\", \"REC_DATE\", \"QUALIFIER\", \"T28_SCORE\", \"STUNDEN\" "
                  "FROM \"Satzart 3 - TISS28\" ORDER BY \"KIS_ID\", \"ADM_DATE\", \"REC_DATE\"",
                  out);
    }
    // A department that is not registered has no database either.
    for (const auto& entry : std::filesystem::directory_iterator(system)) {
        if (!known.contains(entry.path().filename())) out << "unregistered file " << entry.path().filename() << '\n';
    }
    return out.str();
}

class ImportCasesTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ImportCasesTest, MatchesExpectedText)
{
    const auto caseDir = kCases / GetParam();
    test::TempDir dir;
    SetupInstallation(dir.Path(), dir / "k.ini", std::filesystem::path(KALMORA_SOURCE_DIR) / "data" / "reference",
                      2024);
    SettingsFile settingsFile;
    settingsFile.SettingsFileName = (dir / "k.ini").string();
    ScriptedUserInterface ui;
    Settings settings;
    LoadSettings(settingsFile, ui, settings);

    std::ostringstream actual;
    std::istringstream runs(test::ReadText(caseDir / "runs.txt"));
    int runNumber = 0;
    for (std::string runLine; std::getline(runs, runLine);) {
        const auto words = Words(runLine);
        if (words.empty()) continue;
        bool initialise = false;
        settings.PlausLevel = "Warning";
        std::vector<std::filesystem::path> files;
        for (const auto& word : words) {
            if (word == "initialise") {
                initialise = true;
            } else if (word == "strict") {
                settings.PlausLevel = "Error";
            } else {
                files.push_back(caseDir / word);
            }
        }
        ImportRun run;
        const bool completed = RunImport(run, files, "protocol.dat", initialise, ImportEnvironment{settings, ui});
        actual << "== run " << ++runNumber << (completed ? "" : " stopped") << " ==\n"
               << Unix(ResultClipboardText(run.ResultRows, run.CurrentFileIndex)) << "\n-- protocol --\n"
               << Unix(DecodeWindows1252(test::ReadText(dir / "export" / "protocol.dat")));
    }
    actual << "== databases ==\n" << DumpDatabases(dir / "system");
    EXPECT_EQ(ui.BusyDepth(), 0);
    EXPECT_EQ(test::ScratchDatabasesIn(dir / "system"), std::vector<std::string>{});

    const auto expectedFile = caseDir / "expected.txt";
    if (std::getenv("KALMORA_UPDATE_EXPECTED")) test::WriteText(expectedFile, actual.str());
    EXPECT_EQ(actual.str(), test::ReadText(expectedFile));
}

std::vector<std::string> CaseNames()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kCases)) {
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, ImportCasesTest, ::testing::ValuesIn(CaseNames()),
                         [](const auto& testInfo) { return testInfo.param; });

}  // namespace
}  // namespace kalmora
