#include "analysis/CombinedExport.h"

#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "reports/DepartmentLines.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"
#include "support/DepartmentRows.h"
#include "support/Files.h"
#include "support/ImportInstallation.h"
#include "support/SimulatedFaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kalmora {
namespace {

namespace fs = std::filesystem;

const test::StayKey kA1{"A000000001", "19600101", "202401011200"};
const test::StayKey kA2{"A000000002", "19700101", "202401021200"};
const test::StayKey kB1{"B000000001", "19800101", "202401031200"};

// Public: the tables of cases prepare their installations through it.
class CombinedExportTest : public ::testing::Test {
public:
    void SetUp() override { UseDirectories(dir / "system", dir / "export"); }

    void UseDirectories(const fs::path& system, const fs::path& exportDirectory)
    {
        fs::create_directories(system);
        fs::create_directories(exportDirectory);
        settings.SystemDataPath = system.string();
        settings.ExportDataPath = exportDirectory.string();
        CreateDepartmentTemplate(system / "ibds.mdb");
        if (!fs::exists(system / "iadmin.mdb")) CreateAdminDatabase(system / "iadmin.mdb");
    }

    fs::path System() const { return settings.SystemDataPath; }
    fs::path Target(const std::string& name = "gesamt.mdb") const { return fs::path(settings.ExportDataPath) / name; }

    // Department A: two stays, the first with its imported survey day and the three kinds of filled-in
    // days, the second with one imported day.
    std::string DepartmentA()
    {
        Database department = NewDepartment("12100101X002");
        test::AddStay(department, kA1);
        test::AddStay(department, kA2);
        test::AddStayRecord(department, kA1);
        test::AddStayRecord(department, kA2);
        test::AddTissDay(department, kA1, "20240101", "E");
        test::AddTissDay(department, kA1, "20240102", "3");
        test::AddTissDay(department, kA1, "20240103", "M");
        test::AddTissDay(department, kA1, "20240104", "L");
        test::AddTissDay(department, kA2, "20240102", "3");
        return Line("12100101", "12100101X002");
    }

    // Department B: its own stay, and A's first stay once more (with another state) with the same
    // survey day and a further one.
    std::string DepartmentB()
    {
        Database department = NewDepartment("12510101X002");
        test::AddStay(department, kB1);
        test::AddStay(department, kA1, "W");
        test::AddStayRecord(department, kB1);
        test::AddStayRecord(department, kA1);
        test::AddTissDay(department, kB1, "20240103", "3");
        test::AddTissDay(department, kA1, "20240102", "3");
        test::AddTissDay(department, kA1, "20240105", "3");
        return Line("12510101", "12510101X002");
    }

    Database NewDepartment(const std::string& file)
    {
        fs::copy_file(System() / "ibds.mdb", System() / file);
        return Database(System() / file);
    }

    static std::string Line(const std::string& abteilung, const std::string& file)
    {
        return ExportLineText(DepartmentLineText("K002", "Nord", abteilung, "Intensiv", file, "EXTERN"));
    }

    // Every row of the three tables in stored order, by key, stay state and qualifier.
    static std::vector<std::string> Rows(const fs::path& file)
    {
        Database combined(file, OpenMode::ReadOnly);
        std::vector<std::string> rows;
        for (const char* sql : {"SELECT 'stay ' || KIS_ID || ' ' || FLAG FROM \"Gesamt - Patientenadministration\" "
                                "ORDER BY rowid",
                                "SELECT 'type1 ' || KIS_ID FROM \"Satzart 1 - Patientenadministration Intensiv\" "
                                "ORDER BY rowid",
                                "SELECT 'day ' || KIS_ID || ' ' || REC_DATE || ' ' || QUALIFIER "
                                "FROM \"Satzart 3 - TISS28\" ORDER BY rowid"}) {
            auto query = combined.Prepare(sql);
            while (query.Step())
                rows.push_back(query.Text(0));
        }
        return rows;
    }

    // Files of the export directory besides the combined database: none may be left over.
    std::vector<std::string> OtherExportFiles(const std::string& name = "gesamt.mdb") const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(settings.ExportDataPath)) {
            if (entry.path().filename() != name) names.push_back(entry.path().filename().string());
        }
        return names;
    }

    test::TempDir dir;
    Settings settings;
    ScriptedUserInterface ui;
};

TEST_F(CombinedExportTest, DepartmentsInListOrderWithTheirImportedSurveyDaysAndNoKeyTwice)
{
    const std::string a = DepartmentA();
    const std::string b = DepartmentB();

    EXPECT_EQ(ExportDepartments(settings, {a, b}, "gesamt.mdb", ui), Target());
    // A's first stay comes first and stays as A has it; B's copy of it adds only its new survey day.
    EXPECT_EQ(Rows(Target()), (std::vector<std::string>{"stay A000000001 O", "stay A000000002 O", "stay B000000001 O",
                                                        "type1 A000000001", "type1 A000000002", "type1 B000000001",
                                                        "day A000000001 20240102 3", "day A000000002 20240102 3",
                                                        "day B000000001 20240103 3", "day A000000001 20240105 3"}));

    ExportDepartments(settings, {b, a}, "other.mdb", ui);
    EXPECT_EQ(Rows(Target("other.mdb")),
              (std::vector<std::string>{"stay B000000001 O", "stay A000000001 W", "stay A000000002 O",
                                        "type1 B000000001", "type1 A000000001", "type1 A000000002",
                                        "day B000000001 20240103 3", "day A000000001 20240102 3",
                                        "day A000000001 20240105 3", "day A000000002 20240102 3"}));

    // The departments are only read.
    Database source(System() / "12100101X002", OpenMode::ReadOnly);
    EXPECT_EQ(test::CountRows(source, kTissTable), 5);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(CombinedExportTest, ShowsEachDepartmentInTheStatusBarAndEndsReady)
{
    const std::string a = DepartmentA();
    const std::string b = DepartmentB();

    ExportDepartments(settings, {a, b}, "gesamt.mdb", ui);

    EXPECT_EQ(ui.StatusHistory(1),
              (std::vector<std::string>{" Erstelle Gesamtdatenbank...", " Erstelle Gesamtdatenbank...", " Bereit"}));
    // Columns 1-28 and 30-73 of the line, each with a blank.
    EXPECT_EQ(ui.StatusHistory(2).front(), "K002 - Nord" + std::string(18, ' '));
    EXPECT_EQ(ui.StatusHistory(3)[1], "12510101 - Intensiv" + std::string(25, ' ') + " ");
    EXPECT_EQ(ui.StatusText(2), " ");
    EXPECT_EQ(ui.StatusText(3), " ");
    EXPECT_EQ(ui.BusyDepth(), 0);
    EXPECT_EQ(ui.EventRuns(), 2);

    ReportExportSuccess(ui);
    EXPECT_EQ(ui.Beeps(), 1);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Text, " Daten erfolgreich exportiert!");
    EXPECT_EQ(ui.Messages()[0].Title, " Programmhinweis ");
    EXPECT_EQ(ui.Messages()[0].Icon, MessageIcon::Exclamation);
}

TEST_F(CombinedExportTest, WithoutDepartmentsTheCombinedDatabaseIsAnEmptyCopyOfTheTemplate)
{
    ExportDepartments(settings, {}, "gesamt.mdb", ui);

    EXPECT_TRUE(Rows(Target()).empty());
    EXPECT_EQ(test::ReadText(Target()), test::ReadText(System() / "ibds.mdb"));
}

TEST_F(CombinedExportTest, EveryExportStartsAfreshSoTwiceGivesTheSameFile)
{
    const std::string a = DepartmentA();
    const std::string b = DepartmentB();
    ExportDepartments(settings, {b}, "gesamt.mdb", ui);
    // An earlier export's journal must not be played back into the new file.
    test::WriteText(dir / "export" / "gesamt.mdb-journal", "not a journal of this file");

    ExportDepartments(settings, {a}, "gesamt.mdb", ui);
    const std::string once = test::ReadText(Target());
    ExportDepartments(settings, {a}, "gesamt.mdb", ui);

    EXPECT_EQ(test::ReadText(Target()), once);
    EXPECT_EQ(Rows(Target()),
              (std::vector<std::string>{"stay A000000001 O", "stay A000000002 O", "type1 A000000001",
                                        "type1 A000000002", "day A000000001 20240102 3", "day A000000002 20240102 3"}));
    EXPECT_TRUE(OtherExportFiles().empty());
}

TEST_F(CombinedExportTest, AFailedExportLeavesTheEarlierFileUnderTheNameAsItWas)
{
    struct Case {
        const char* Name;
        std::function<std::vector<std::string>(CombinedExportTest&)> Prepare;  // the lines to export
        std::string Message;                                                   // the start of the reason
    };
    const std::vector<Case> cases{
        {"template neither usable nor to be made anew",
         [](CombinedExportTest& t) {
             std::vector<std::string> lines{t.DepartmentA()};
             fs::remove(t.System() / "ibds.mdb");
             fs::create_directories(t.System() / "ibds.mdb" / "Ordner");
             return lines;
         },
         "Die Vorlagendatenbank "},
        {"department database missing",
         [](CombinedExportTest& t) {
             return std::vector<std::string>{t.DepartmentA(), Line("12510101", "12510101X002")};
         },
         "Die Datenbank 12510101X002 der Abteilung 12510101 - Intensiv wurde nicht gefunden."},
        {"department database damaged",
         [](CombinedExportTest& t) {
             test::WriteText(t.System() / "12510101X002", std::string(4096, 'x'));
             return std::vector<std::string>{t.DepartmentA(), Line("12510101", "12510101X002")};
         },
         "Die Abteilung 12510101 - Intensiv (12510101X002) kann nicht exportiert werden: "},
        {"no database file named",
         [](CombinedExportTest& t) {
             return std::vector<std::string>{t.DepartmentA(), Line("12510101", "")};
         },
         "Die Datenbank (ohne Namen) der Abteilung 12510101 - Intensiv wurde nicht gefunden."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TempDir caseDir;
        UseDirectories(caseDir / "system", caseDir / "export");
        test::WriteText(Target(), "earlier export");
        const auto lines = c.Prepare(*this);

        try {
            ExportDepartments(settings, lines, "gesamt.mdb", ui);
            ADD_FAILURE() << "no failure";
        } catch (const ExportError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with(c.Message)) << error.what();
        }

        EXPECT_EQ(test::ReadText(Target()), "earlier export");
        EXPECT_TRUE(OtherExportFiles().empty());
        EXPECT_EQ(ui.StatusText(1), " Bereit");
        EXPECT_EQ(ui.BusyDepth(), 0);
    }
}

TEST_F(CombinedExportTest, ATargetThatCannotBeWrittenIsReported)
{
    struct Case {
        const char* Name;
        std::function<void(CombinedExportTest&)> Prepare;
        std::string Message;
    };
    const std::vector<Case> cases{
        {"a directory under the name", [](CombinedExportTest& t) { fs::create_directory(t.Target()); },
         "Die Gesamtdatenbank "},
        {"export directory missing", [](CombinedExportTest& t) { fs::remove_all(t.settings.ExportDataPath); },
         "Das Exportverzeichnis "},
        {"export directory unknown", [](CombinedExportTest& t) { t.settings.ExportDataPath = "unknown"; },
         "Das Exportverzeichnis unknown existiert nicht."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TempDir caseDir;
        UseDirectories(caseDir / "system", caseDir / "export");
        const std::vector<std::string> lines{DepartmentA()};
        c.Prepare(*this);

        try {
            ExportDepartments(settings, lines, "gesamt.mdb", ui);
            ADD_FAILURE() << "no failure";
        } catch (const ExportError& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with(c.Message)) << error.what();
        }
        EXPECT_FALSE(fs::exists("unknown"));
        EXPECT_EQ(ui.BusyDepth(), 0);
    }
}

// Names are compared without regard to case, as Windows, network shares and FAT compare them, and
// a second name of a system file (a hard link) is the system file too.
TEST_F(CombinedExportTest, NeverReplacesADatabaseOfTheSystemDirectory)
{
    const std::string a = DepartmentA();
    Database(System() / "iadmin.mdb")
        .Execute("INSERT INTO \"Dateiverwaltung\" (\"KANR\", \"ABTEILUNG\", \"MDB_DATEI\", \"Status\") "
                 "VALUES ('K002', '12100101', '12100101X002', 'EXTERN')");
    const auto before = test::Snapshot(System());
    settings.ExportDataPath = settings.SystemDataPath;
    for (const char* name : {"iadmin.mdb", "ibds.mdb", "temp.~kalmora.4711.mdb", "12100101X002", "IADMIN.MDB",
                             "Ibds.mdb", "12100101x002", "12100101X002.OLD", "kalmora.LOG"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(ExportDepartments(settings, {a}, name, ui), ExportError);
        EXPECT_EQ(test::Snapshot(System()), before);
    }
    // A second name of the admin database in another folder.
    fs::create_directories(dir / "links");
    fs::create_hard_link(System() / "iadmin.mdb", dir / "links" / "verwaltung.mdb");
    settings.ExportDataPath = (dir / "links").string();
    EXPECT_THROW(ExportDepartments(settings, {a}, "verwaltung.mdb", ui), ExportError);
    EXPECT_EQ(test::Snapshot(System()), before);

    // Any other name is fine there.
    settings.ExportDataPath = settings.SystemDataPath;
    ExportDepartments(settings, {a}, "gesamt.mdb", ui);
    EXPECT_EQ(Rows(System() / "gesamt.mdb").size(), 6u);
}

// Once the combined database is in place the export has succeeded: a folder that cannot be synced
// afterwards is told and logged, not taken for a failure.
TEST_F(CombinedExportTest, AFolderThatCannotBeSyncedAfterwardsIsToldNotFailed)
{
    const std::string a = DepartmentA();
    {
        const test::SimulatedFaults failing("fail-sync=export");
        EXPECT_EQ(ExportDepartments(settings, {a}, "gesamt.mdb", ui), Target());
    }
    EXPECT_EQ(Rows(Target()).size(), 6u);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(ui.Messages().front().Text.find("ist gespeichert; das Verzeichnis konnte danach nicht gesichert werden"),
              std::string::npos)
        << ui.Messages().front().Text;
    EXPECT_NE(test::ReadText(System() / "kalmora.log").find(";Export;Die Gesamtdatenbank "), std::string::npos);
}

// An export killed under another name left the database it was building; the next export removes
// it, and only it: a protocol being written there under the lock of another workstation and the
// users' files stay.
TEST_F(CombinedExportTest, RemovesTheDatabasesOfKilledExportsUnderAnyName)
{
    const std::string a = DepartmentA();
    fs::copy_file(System() / "ibds.mdb", Target("alt.mdb.~kalmora.new"));
    test::WriteText(Target("alt.mdb.~kalmora.new-journal"), "");
    test::WriteText(Target("protocol.dat.~kalmora.new"), "Datei;Krankenanstalt\r\n");
    test::WriteText(Target("Notizen.new"), "bleibt");
    test::WriteText(Target("export.csv.old"), "bleibt");

    ExportDepartments(settings, {a}, "gesamt.mdb", ui);

    EXPECT_FALSE(fs::exists(Target("alt.mdb.~kalmora.new")));
    EXPECT_FALSE(fs::exists(Target("alt.mdb.~kalmora.new-journal")));
    for (const char* kept : {"protocol.dat.~kalmora.new", "Notizen.new", "export.csv.old"})
        EXPECT_TRUE(fs::exists(Target(kept))) << kept;
    EXPECT_FALSE(fs::exists(Target("export.csv")));
}

TEST_F(CombinedExportTest, WhileAnImportHoldsTheDataNothingIsWritten)
{
    const std::string a = DepartmentA();
    const ExclusiveLock import(SystemDataLockFile(settings));

    EXPECT_THROW(ExportDepartments(settings, {a}, "gesamt.mdb", ui), LockedError);

    EXPECT_FALSE(fs::exists(Target()));
    EXPECT_TRUE(OtherExportFiles().empty());
    EXPECT_EQ(ui.StatusText(1), " Bereit");
}

TEST_F(CombinedExportTest, DirectoriesWithAQuoteInTheirName)
{
    UseDirectories(dir / "Daten 'alt'" / "system", dir / "it's export");
    const std::string a = DepartmentA();

    ExportDepartments(settings, {a}, "gesamt.mdb", ui);

    EXPECT_EQ(Rows(Target()).size(), 6u);
}

TEST_F(CombinedExportTest, FileNameCheck)
{
    struct Case {
        const char* Name;
        bool Valid;
    };
    for (const Case& c : std::vector<Case>{{"gesamt.mdb", true},
                                           {"GESAMT2.DB", true},
                                           {"gesamt.mdb  ", true},
                                           {"", false},
                                           {"   ", false},
                                           {" gesamt.mdb", false},
                                           {"zu_langer_name.mdb", false},
                                           {"ges amt.mdb", false},
                                           {"it's.mdb", false},
                                           {"../x.mdb", false},
                                           {"a/b.mdb", false},
                                           {"a\\b.mdb", false},
                                           {"..", false}}) {
        SCOPED_TRACE(c.Name);
        ScriptedUserInterface checkUi;
        EXPECT_EQ(CheckExportFileName(c.Name, checkUi), c.Valid);
        if (c.Valid) {
            EXPECT_TRUE(checkUi.Messages().empty());
        } else {
            ASSERT_EQ(checkUi.Messages().size(), 1u);
            EXPECT_EQ(checkUi.Messages()[0].Text, " Ungültiger Dateiname!");
        }
    }
}

TEST_F(CombinedExportTest, ALineOfTheExportListEndsWithTheDatabaseFile)
{
    const std::string report = DepartmentLineText("K002", "Nord", "12100101", "Intensiv", "12100101X002", "EXTERN");
    EXPECT_EQ(ExportLineText(report), report.substr(0, 96));
    EXPECT_TRUE(ExportLineText(report).ends_with("   12100101X002"));
}

}  // namespace
}  // namespace kalmora
