#include "scoring/ClassificationTable.h"

#include "foundation/FixedText.h"
#include "foundation/Messages.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "scoring/ClassificationList.h"
#include "scoring/DepartmentBaseData.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"
#include "storage/Setup.h"
#include "support/ClassificationRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {
namespace {

using test::AddClassifiedDay;
using test::AddClassifiedStay;

std::string Columns(std::string_view text, std::size_t first, std::size_t last)
{
    return std::string(MidCharacters(text, first, last - first + 1));
}

TEST(ClassificationEntryTest, FixedColumns)
{
    struct Case {
        std::string_view name;
        double dgkp;
        double beds;
        std::string_view pre;
        NoBedsPlaceholder placeholder;
        std::string_view dgkpColumn;    // 30-35
        std::string_view bedsColumn;    // 40-42
        std::string_view perBedColumn;  // 48-52
    };
    const Case cases[] = {
        {"DGKP and beds", 12.5, 10, "", NoBedsPlaceholder::AsListed, " 12,50", " 10", " 1,25"},
        {"pre-classified", 23, 7, "E2", NoBedsPlaceholder::AsListed, " 23,00", "  7", " 3,29"},
        {"no beds as listed", 4.6, 0, "", NoBedsPlaceholder::AsListed, "  4,60", "  0", " 0.00"},
        {"no beds after saving", 4.6, 0, "", NoBedsPlaceholder::AsSaved, "  4,60", "  0", " 0,00"},
        {"negative DGKP", -12.5, 5, "", NoBedsPlaceholder::AsListed, "-12,50", "  5", "-2,50"},
        // Too wide for their columns: marked, not shifting the columns behind them.
        {"numbers too wide", 1234.5, 1000, "", NoBedsPlaceholder::AsListed, "######", "###", " 1,23"},
        {"DGKP per bed too wide", 999.99, 1, "", NoBedsPlaceholder::AsListed, "999,99", "  1", "#####"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DepartmentEntry entry;
        entry.Kanr = "K002";
        entry.Abteilung = "12100101";
        entry.HospitalName = "Krankenhaus Nordstadt Weidenbach";
        entry.DepartmentName = "Anästhesiologische Intensivstation";
        entry.Dgkp = c.dgkp;
        entry.SystemisedBeds = c.beds;
        entry.PreClassification = c.pre;
        entry.DatabaseFile = "12100101.mdb";
        const std::string text = ClassificationEntryText(entry, c.placeholder);
        EXPECT_EQ(CharacterCount(text), kClassificationEntryWidth);
        EXPECT_EQ(Columns(text, 1, 29), "K002 - Krankenhaus Nordstad  ");
        EXPECT_EQ(Columns(text, 30, 35), c.dgkpColumn);
        EXPECT_EQ(Columns(text, 36, 39), "    ");
        EXPECT_EQ(Columns(text, 40, 42), c.bedsColumn);
        EXPECT_EQ(Columns(text, 43, 47), "     ");
        EXPECT_EQ(Columns(text, 48, 52), c.perBedColumn);
        EXPECT_EQ(Columns(text, 53, 60), "        ");
        EXPECT_EQ(Columns(text, 61, 68), FitToWidth(c.pre, 8));
        EXPECT_EQ(Columns(text, 69, 179), FitToWidth("12100101 - Anästhesiologische Intensivstation", 111));
        EXPECT_EQ(Columns(text, 180, 191), "12100101.mdb");
    }
}

TEST(PlainNumberTextTest, ShortestGermanForm)
{
    EXPECT_EQ(PlainNumberText(0.33), "0,33");
    EXPECT_EQ(PlainNumberText(-0.3), "-0,3");
    EXPECT_EQ(PlainNumberText(12), "12");
    EXPECT_EQ(PlainNumberText(-0.0), "0");
    EXPECT_EQ(PlainNumberText(0.00001), "0,00001");
}

// An installation with an admin database of registered departments and their databases.
class DepartmentsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.SystemDataPath = (dir / "system").string();
        std::filesystem::create_directory(dir / "system");
        CreateAdminDatabase(AdminPath());
        CreateDepartmentTemplate(dir / "template.mdb");
        Database admin(AdminPath());
        admin.Execute("INSERT INTO \"KANR-Bezeichnung\" VALUES ('K001', 'Klinikum Am Eichenhain');"
                      "INSERT INTO \"ABT-Bezeichnung\" VALUES ('125101', 'Internistische Intensivstation');");
        settings.Erhebungvon = "20240101";
        settings.Erhebungbis = "20241231";
        settings.MindestStd = "6";
        settings.MehrfachTISS = "N";
        settings.ErsatzTISS = "N";
    }

    std::filesystem::path AdminPath() const { return dir / "system" / "iadmin.mdb"; }

    DepartmentEntry EntryOf(std::string_view kanr, std::string_view abteilung) const
    {
        Database admin(AdminPath());
        return ReadDepartmentEntry(admin, kanr, abteilung).value();
    }

    // Registers a department; its database is made from the template unless `withDatabase` is false.
    Database AddDepartment(std::string_view kanr, std::string_view abteilung, std::string_view file, double dgkp = 0,
                           double beds = 0, bool withDatabase = true)
    {
        Database admin(AdminPath());
        admin
            .Prepare("INSERT INTO \"Dateiverwaltung\" (\"KANR\", \"ABTEILUNG\", \"MDB_DATEI\", \"SBETT\", \"DGKP\", "
                     "\"Status\", \"VOREINSTUFUNG\") VALUES (?, ?, ?, ?, ?, 'EXTERN', ' ')")
            .BindAll(kanr, abteilung, file, beds, dgkp)
            .Execute();
        if (withDatabase) std::filesystem::copy_file(dir / "template.mdb", dir / "system" / file);
        return Database(withDatabase ? dir / "system" / file : dir / "template.mdb");
    }

    test::TempDir dir;
    Settings settings;
    ScriptedUserInterface ui;
};

TEST_F(DepartmentsTest, ListsDepartmentsWithClassifiableStaysInKeyOrder)
{
    {
        auto db = AddDepartment("K002", "12510101", "b.mdb");
        AddClassifiedStay(db, {"202403011000", "202403051000", "99", "50"});
    }
    {
        auto db = AddDepartment("K001", "12510101", "a.mdb", 12.5, 10);
        AddClassifiedStay(db, {"202403011000", "202403051000", "99", "50", "A000000001", "INT", "U"});
        AddClassifiedStay(db, {"202403011000", "202403051000", "99", "50", "A000000002", "INT", "W"});
    }
    {
        auto db = AddDepartment("K001", "12510102", "only-u.mdb");
        AddClassifiedStay(db, {"202403011000", "202403051000", "99", "50", "A000000001", "INT", "U"});
    }
    {
        auto db = AddDepartment("K001", "12510103", "other.mdb");
        AddClassifiedStay(db, {"202403011000", "202403051000", "99", "50", "A000000001", "STA", "O"});
    }
    AddDepartment("K001", "12510104", "empty.mdb");
    AddDepartment("K001", "12510105", "missing.mdb", 0, 0, false);

    const auto entries = ClassifiableDepartments(settings, ui);

    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Key(), "K001/12510101");
    EXPECT_EQ(entries[1].Key(), "K002/12510101");
    EXPECT_EQ(entries[0].Text, FitToWidth("K001 - Klinikum Am Eichenha   12,50     10      1,25                "
                                          "12510101 - Internistische Intensivstation",
                                          179) +
                                   "a.mdb       ");
    // No hospital name registered for K002.
    EXPECT_EQ(Columns(entries[1].Text, 1, 29), "K002 -                       ");
    // The missing database is reported and the others are still listed.
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, kErrorTitle);
    EXPECT_NE(ui.Messages()[0].Text.find("K001/12510105 (missing.mdb)"), std::string::npos);
    EXPECT_EQ(ui.StatusText(1), " Bereit");
    EXPECT_EQ(ui.BusyDepth(), 0);
    // The list reads only: nothing is left in a department database.
    Database a(dir / "system" / "a.mdb");
    auto views = a.Prepare("SELECT count(*) FROM sqlite_master WHERE type = 'view'");
    ASSERT_TRUE(views.Step());
    EXPECT_EQ(views.Int(0), 0);
}

TEST_F(DepartmentsTest, ClassifiesTheOthersWhenOneDepartmentFails)
{
    for (const auto& [abteilung, file] :
         {std::pair{"12510101", "a.mdb"}, {"12510102", "b.mdb"}, {"12510103", "c.mdb"}}) {
        auto db = AddDepartment("K001", abteilung, file, 23, 10);
        AddClassifiedStay(db, {"202403011000", "202403051000", "99", "50"});
        AddClassifiedDay(db, {"20240301", "030"});
    }
    const auto entries = ClassifiableDepartments(settings, ui);
    ASSERT_EQ(entries.size(), 3u);
    {
        Database broken(dir / "system" / "b.mdb");
        broken.Execute("DROP TABLE \"Satzart 3 - TISS28 TEMP\"");
    }

    // Rows follow the given order.
    const auto rows = ClassifyDepartments({entries[2], entries[1], entries[0]}, settings, ui);

    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Entry.Key(), "K001/12510103");
    EXPECT_EQ(rows[1].Entry.Key(), "K001/12510101");
    EXPECT_EQ(rows[0].Result.DgkpPerBed, 2.3);
    EXPECT_EQ(rows[0].Result.ReportedDays, 1);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Title, kErrorTitle);
    EXPECT_NE(ui.Messages()[0].Text.find("K001/12510102 (b.mdb)"), std::string::npos);
    EXPECT_NE(ui.Messages()[0].Text.find("Satzart 3 - TISS28 TEMP"), std::string::npos);
    EXPECT_NE(std::find(ui.StatusHistory(3).begin(), ui.StatusHistory(3).end(),
                        " " + FitToWidth("12510102 - Internistische Intensivstation", 111)),
              ui.StatusHistory(3).end());
    EXPECT_EQ(ui.StatusText(1), " Bereit");
    EXPECT_EQ(ui.StatusText(2), " ");
    EXPECT_EQ(ui.EventRuns(), 3);
    EXPECT_EQ(ui.BusyDepth(), 0);
}

TEST_F(DepartmentsTest, ClassifyingWaitsForNoImport)
{
    auto db = AddDepartment("K001", "12510101", "a.mdb", 23, 10);
    AddClassifiedStay(db, {"202403011000", "202403051000", "99", "50"});
    const auto entries = ClassifiableDepartments(settings, ui);
    const ExclusiveLock importRunning(SystemDataLockFile(settings));
    EXPECT_THROW(ClassifyDepartments(entries, settings, ui), LockedError);
    EXPECT_THROW(SaveDepartmentBaseData(settings, entries[0], {"1", "1", ""}), LockedError);
}

TEST_F(DepartmentsTest, SavesBaseDataAndRebuildsTheEntry)
{
    AddDepartment("K001", "12510101", "a.mdb", 1, 1);
    const DepartmentEntry entry = EntryOf("K001", "12510101");
    struct Case {
        std::string_view name;
        BaseDataInput input;
        double dgkp;
        double beds;
        std::string_view pre;
        std::string_view columns30to62;
    };
    const Case cases[] = {
        {"DGKP, beds and pre-classification",
         {"12,5", "10", "E2"},
         12.5,
         10,
         "E2",
         " 12,50     10      1,25        E2"},
        {"empty DGKP counts as 0", {"", "10", ""}, 0, 10, "", "  0,00     10      0,00          "},
        {"0 beds", {"4,6", "0", ""}, 4.6, 0, "", "  4,60      0      0,00          "},
        {"empty beds", {"4,6", "", " "}, 4.6, 0, "", "  4,60      0      0,00          "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const BaseDataOutcome outcome = SaveDepartmentBaseData(settings, entry, c.input);
        ASSERT_FALSE(outcome.ErrorText) << *outcome.ErrorText;
        EXPECT_TRUE(outcome.Saved);
        EXPECT_EQ(Columns(outcome.Entry.Text, 30, 62), c.columns30to62);
        EXPECT_EQ(CharacterCount(outcome.Entry.Text), kClassificationEntryWidth);
        Database admin(AdminPath());
        auto row = admin.Prepare("SELECT \"DGKP\", \"SBETT\", \"VOREINSTUFUNG\" FROM \"Dateiverwaltung\"");
        ASSERT_TRUE(row.Step());
        EXPECT_EQ(row.Double(0), c.dgkp);
        EXPECT_EQ(row.Double(1), c.beds);
        EXPECT_EQ(row.Text(2), c.pre);
    }
}

TEST_F(DepartmentsTest, RefusesInvalidBaseDataAndSavesNothing)
{
    AddDepartment("K001", "12510101", "a.mdb", 1, 1);
    const DepartmentEntry entry = EntryOf("K001", "12510101");
    const BaseDataInput inputs[] = {
        {"abc", "10", ""},     // not a number
        {"12345", "10", ""},   // more than 6 characters with two decimals
        {"12,5", "1000", ""},  // more than 3 digits
        {"12,5", "10", "E4"},  // no such level
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(*input.DgkpText + " " + *input.BedsText + " " + *input.PreClassification);
        const BaseDataOutcome outcome = SaveDepartmentBaseData(settings, entry, input);
        EXPECT_TRUE(outcome.ErrorText);
        EXPECT_FALSE(outcome.Saved);
        EXPECT_EQ(outcome.Entry.Text, entry.Text);
        Database admin(AdminPath());
        auto row = admin.Prepare("SELECT \"DGKP\", \"SBETT\" FROM \"Dateiverwaltung\"");
        ASSERT_TRUE(row.Step());
        EXPECT_EQ(row.Double(0), 1);
        EXPECT_EQ(row.Double(1), 1);
    }
}

TEST_F(DepartmentsTest, SavesOfDifferentFieldsFromOneStaleEntryBothSurvive)
{
    AddDepartment("K001", "12510101", "a.mdb", 1, 1);
    Database(AdminPath()).Execute("UPDATE \"Dateiverwaltung\" SET \"VOREINSTUFUNG\" = 'E1'");
    // Both callers read the entry before either saved, as two batch calls at once do.
    const DepartmentEntry stale = EntryOf("K001", "12510101");

    const BaseDataOutcome first = SaveDepartmentBaseData(settings, stale, {"12,5", std::nullopt, std::nullopt});
    const BaseDataOutcome second = SaveDepartmentBaseData(settings, stale, {std::nullopt, "10", std::nullopt});

    ASSERT_TRUE(first.Saved);
    ASSERT_TRUE(second.Saved);
    Database admin(AdminPath());
    auto row = admin.Prepare("SELECT \"DGKP\", \"SBETT\", \"VOREINSTUFUNG\" FROM \"Dateiverwaltung\"");
    ASSERT_TRUE(row.Step());
    EXPECT_EQ(row.Double(0), 12.5);
    EXPECT_EQ(row.Double(1), 10);
    EXPECT_EQ(row.Text(2), "E1");
    // The second entry shows the row as stored, with the first save's DGKP.
    EXPECT_EQ(Columns(second.Entry.Text, 30, 62), " 12,50     10      1,25        E1");
}

TEST(DepartmentBaseDataTest, OnlyChangedFieldsAreGiven)
{
    const BaseDataInput shown{"12,50", "10", "E1"};
    struct Case {
        std::string_view name;
        BaseDataInput typed;
        BaseDataInput changed;
    };
    const Case cases[] = {
        {"nothing changed", {"12,5", "10", " E1"}, {}},
        {"DGKP changed", {"13", "10", "E1"}, {"13", std::nullopt, std::nullopt}},
        {"beds emptied", {"12,50", "", "E1"}, {std::nullopt, "", std::nullopt}},
        {"pre-classification removed", {"12,50", "10", ""}, {std::nullopt, std::nullopt, ""}},
        // An invalid text is passed on, so that the save reports it.
        {"invalid DGKP", {"abc", "10", "E1"}, {"abc", std::nullopt, std::nullopt}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const BaseDataInput changed = ChangedBaseData(shown, c.typed);
        EXPECT_EQ(changed.DgkpText, c.changed.DgkpText);
        EXPECT_EQ(changed.BedsText, c.changed.BedsText);
        EXPECT_EQ(changed.PreClassification, c.changed.PreClassification);
    }
}

TEST_F(DepartmentsTest, DepartmentGoneFromTheAdminDatabaseKeepsItsNewEntry)
{
    AddDepartment("K001", "12510101", "a.mdb", 1, 1);
    const DepartmentEntry entry = EntryOf("K001", "12510101");
    Database(AdminPath()).Execute("DELETE FROM \"Dateiverwaltung\"");
    const BaseDataOutcome outcome = SaveDepartmentBaseData(settings, entry, {"12,5", "10", ""});
    EXPECT_FALSE(outcome.ErrorText);
    EXPECT_FALSE(outcome.Saved);
    EXPECT_EQ(Columns(outcome.Entry.Text, 30, 52), " 12,50     10      1,25");
}

TEST(DepartmentBaseDataTest, FieldsAsTheWindowShowsThem)
{
    EXPECT_EQ(ValidateDgkpInput("12,5").NewText, "12,50");
    EXPECT_EQ(ValidateDgkpInput("-12,5").NewText, "-12,50");
    EXPECT_EQ(ValidateBedsInput("0").NewText, "");
    EXPECT_TRUE(ValidateBedsInput("1000").ErrorText);
    EXPECT_EQ(DgkpPerBedText("12,50", "10"), "1,25");
    EXPECT_EQ(DgkpPerBedText("", "10"), "0,00");
    EXPECT_EQ(DgkpPerBedText("12,50", ""), std::nullopt);
    EXPECT_EQ(DgkpPerBedText("abc", "10"), std::nullopt);

    DepartmentEntry entry;
    entry.Dgkp = 12.5;
    entry.SystemisedBeds = 10;
    entry.PreClassification = "E1";
    const BaseDataInput input = BaseDataInputOf(entry);
    EXPECT_EQ(input.DgkpText, "12,50");
    EXPECT_EQ(input.BedsText, "10");
    EXPECT_EQ(input.PreClassification, "E1");
}

TEST(ClassificationCellsTest, GermanFormatsAndTheCopiedText)
{
    using namespace std::string_view_literals;
    const ClassificationSettings settings{"20240101"sv, "20240331"sv, "4"sv, "J"sv, "N"sv};
    ClassifiedDepartment row;
    row.Entry.Kanr = "K001";
    row.Entry.Abteilung = "12510101";
    row.Entry.HospitalName = "Klinikum Am Eichenhain";
    row.Entry.DepartmentName = "Internistische Intensivstation";
    row.Entry.Dgkp = 1234.5;
    row.Entry.SystemisedBeds = 0;
    row.Entry.Text = ClassificationEntryText(row.Entry, NoBedsPlaceholder::AsListed);
    row.Result = ClassificationInputs(18.3, 10, "");
    row.Result.ReportedDays = 1234;
    row.Result.Days16 = 800;
    row.Result.FilledDays = 12;
    row.Result.TissMean = 20.0;
    row.Result.TissMean16 = 25.25;
    RateDepartment(settings, row.Result);

    const auto cells = ClassificationCells(row, settings);
    const std::array<std::string, kClassificationColumnCount> expected{
        "K001 - Klinikum Am Eichenha",
        FitToWidth("12510101 - Internistische Intensivstation", 111),
        FitToWidth("Stufe 0", 24),
        "755",
        "25,3",
        "20,0",
        "3,0",
        "1,83",
        "0,33",
        "30,0",
        "665",
        "3,0",
        "1.234",
        "800",
        "12",
        "N",
        "J",
        "4 ",
        "01.01.2024",
        "31.03.2024",
        "10",
        "18,3",
        "  ",
        "",
    };
    for (std::size_t column = 0; column < expected.size(); ++column) {
        SCOPED_TRACE(kClassificationTitles[column]);
        EXPECT_EQ(cells[column], expected[column]);
    }

    std::string titles;
    for (const auto title : kClassificationTitles)
        titles += (titles.empty() ? "" : "\t") + std::string(title);
    EXPECT_EQ(ClassificationClipboardText({}, settings), titles);
    std::string line;
    for (const auto& cell : cells)
        line += (line.empty() ? "" : "\t") + cell;
    EXPECT_EQ(ClassificationClipboardText({row, row}, settings), titles + "\r" + line + "\r" + line);
}

TEST(ClassificationEndToEndTest, ImportBaseDataClassifyCells)
{
    test::TempDir dir;
    SetupInstallation(dir.Path(), dir / "k.ini", std::filesystem::path(KALMORA_SOURCE_DIR) / "data" / "reference",
                      2024);
    SettingsFile settingsFile;
    settingsFile.SettingsFileName = (dir / "k.ini").string();
    ScriptedUserInterface ui;
    Settings settings;
    LoadSettings(settingsFile, ui, settings);
    settings.PlausLevel = "Warning";
    ImportRun run;
    ASSERT_TRUE(RunImport(run, {std::filesystem::path(KALMORA_TEST_DATA_DIR) / "classification" / "A2100101X002.txt"},
                          "protocol.dat", false, ImportEnvironment{settings, ui}));

    auto entries = ClassifiableDepartments(settings, ui);
    ASSERT_EQ(entries.size(), 1u);
    const BaseDataOutcome saved = SaveDepartmentBaseData(settings, entries[0], {"4,6", "2", ""});
    ASSERT_TRUE(saved.Saved);
    // A fresh list reads the saved figures back.
    entries = ClassifiableDepartments(settings, ui);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(Columns(entries[0].Text, 30, 52), "  4,60      2      2,30");

    const auto rows = ClassifyDepartments(entries, settings, ui);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(ui.Messages().empty());
    const auto cells = ClassificationCells(rows[0], ClassificationSettingsOf(settings));
    const std::array<std::string, kClassificationColumnCount> expected{
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
    for (std::size_t column = 0; column < expected.size(); ++column) {
        SCOPED_TRACE(kClassificationTitles[column]);
        EXPECT_EQ(cells[column], expected[column]);
    }
}

}  // namespace
}  // namespace kalmora
