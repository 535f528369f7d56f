#include "reports/DepartmentLines.h"

#include "foundation/FixedText.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"
#include "support/DepartmentRows.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kalmora {
namespace {

struct Department {
    std::string Kanr;
    std::string Abteilung;
    std::string File;
    std::string Status = "INTERN";
};

// An admin database with reference names and the given departments, each with a database file.
class DepartmentLinesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.SystemDataPath = dir.Path().string();
        CreateAdminDatabase(AdminFile());
        Database admin(AdminFile());
        admin.Execute("INSERT INTO \"KANR-Bezeichnung\" VALUES ('K001', 'Landesklinikum Eichenhain'), "
                      "('K002', 'Nord');"
                      "INSERT INTO \"ABT-Bezeichnung\" VALUES ('121001', 'Anästhesiologische Intensivstation mit "
                      "Aufwachraum'), ('125101', 'Interne');");
    }

    void Add(const std::vector<Department>& departments)
    {
        Database admin(AdminFile());
        for (const auto& department : departments) {
            admin
                .Prepare("INSERT INTO \"Dateiverwaltung\" (\"KANR\", \"ABTEILUNG\", \"MDB_DATEI\", \"Status\") "
                         "VALUES (?, ?, ?, ?)")
                .BindAll(department.Kanr, department.Abteilung, department.File, department.Status)
                .Execute();
            test::WriteText(dir / department.File, "department");
        }
    }

    std::vector<std::string> Texts()
    {
        std::vector<std::string> texts;
        for (const auto& line : ReadDepartmentLines(settings))
            texts.push_back(line.Text);
        return texts;
    }

    std::int64_t RowCount()
    {
        Database admin(AdminFile(), OpenMode::ReadOnly);
        return test::CountRows(admin, kDepartmentsTable);
    }

    std::filesystem::path AdminFile() const { return dir / "iadmin.mdb"; }

    test::TempDir dir;
    Settings settings;
    ScriptedUserInterface ui;
};

TEST_F(DepartmentLinesTest, LinesKeepTheirColumnsInStoredOrder)
{
    // Stored order, not key order; K003 and 129999 have no reference names.
    Add({{"K002", "12510102", "12510102X002", "EXTERN"},
         {"K001", "12100101", "12100101X001"},
         {"K003", "12999901", "12999901X003"}});

    const auto lines = Texts();

    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "K002 - Nord" + std::string(16 + 2, ' ') + "12510102 - Interne" + std::string(34 + 3, ' ') +
                            "12510102X002 EXTERN");
    // 25 characters of hospital name show their first 20, 50 of department name their first 41.
    EXPECT_EQ(lines[1], "K001 - Landesklinikum Eiche  12100101 - Anästhesiologische Intensivstation mit Au"
                        "   12100101X001 INTERN");
    EXPECT_EQ(lines[2],
              "K003 - " + std::string(20, ' ') + "  12999901 - " + std::string(41, ' ') + "   12999901X003 INTERN");
    for (const auto& line : lines) {
        EXPECT_EQ(CharacterCount(line), 103u) << line;
        EXPECT_EQ(MidCharacters(line, 85, 12).substr(0, 8), MidCharacters(line, 30, 8)) << line;
    }
}

TEST_F(DepartmentLinesTest, OtherWindowsReadTheirColumnsBack)
{
    Add({{"K001", "12100101", "12100101X001", "EXTERN"}, {"K002", "12510102", "12510.mdb"}});
    const auto lines = Texts();
    ASSERT_EQ(lines.size(), 2u);

    EXPECT_EQ(HospitalTextOf(lines[0]), "K001 - Landesklinikum Eiche ");
    EXPECT_EQ(DepartmentTextOf(lines[0]), " 12100101 - Anästhesiologische Intensivstati");
    EXPECT_EQ(DatabaseFileOf(lines[0]), "12100101X001");
    EXPECT_EQ(DatabaseFileOf(lines[1]), "12510.mdb");
    EXPECT_TRUE(IsExternal(lines[0]));
    EXPECT_FALSE(IsExternal(lines[1]));
}

TEST_F(DepartmentLinesTest, NoDepartmentsShowsNotice18)
{
    EXPECT_TRUE(Texts().empty());
    EXPECT_FALSE(CheckDataImported(settings, ui));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Text, " Es wurden noch keine Daten importiert!");

    Add({{"K001", "12100101", "12100101X001"}});
    EXPECT_TRUE(CheckDataImported(settings, ui));
    EXPECT_EQ(ui.Messages().size(), 1u);
}

class DeleteDepartmentsTest : public DepartmentLinesTest {
protected:
    void SetUp() override
    {
        DepartmentLinesTest::SetUp();
        Add({{"K001", "12100101", "A1.mdb"},
             {"K001", "12100102", "A2.mdb"},
             {"K002", "12510101", "A3.mdb"},
             {"K002", "12510102", "A4.mdb"},
             {"K003", "12999901", "A5.mdb"}});
        lines = Texts();
    }

    std::vector<std::string> lines;
};

TEST_F(DeleteDepartmentsTest, DeletesThreeOfFiveAndSelectsTheFirstLeft)
{
    const std::vector<std::string> before = lines;
    std::vector<bool> selected{false, true, true, false, true};
    // A file already gone still lets its row go, with its side files.
    std::filesystem::remove(dir / "A3.mdb");
    test::WriteText(dir / "A3.mdb-journal", "stale");
    ui.ScriptAnswer(MessageAnswer::Yes);

    EXPECT_EQ(DeleteDepartments(settings, lines, selected, ui), 3u);

    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Text, " Ausgewählte Intensivberichte entfernen ?");
    EXPECT_EQ(lines, (std::vector<std::string>{before[0], before[3]}));
    EXPECT_EQ(selected, (std::vector<bool>{true, false}));
    EXPECT_EQ(Texts(), lines);
    for (const char* gone : {"A2.mdb", "A3.mdb", "A3.mdb-journal", "A5.mdb"})
        EXPECT_FALSE(std::filesystem::exists(dir / gone)) << gone;
    for (const char* kept : {"A1.mdb", "A4.mdb"})
        EXPECT_TRUE(std::filesystem::exists(dir / kept)) << kept;
    EXPECT_EQ(ui.StatusHistory(1).front(), " Lösche Datenbank...");
    EXPECT_EQ(ui.StatusHistory(2).front(), "K001 - Landesklinikum Eiche  ");
    EXPECT_EQ(ui.StatusHistory(3).front(), " 12100102 - Anästhesiologische Intensivstati ");
    EXPECT_EQ(ui.StatusText(1), " Bereit");
    EXPECT_EQ(ui.StatusText(2), " ");
    EXPECT_EQ(ui.StatusText(3), " ");
    EXPECT_EQ(ui.BusyDepth(), 0);
}

TEST_F(DeleteDepartmentsTest, AFileThatCannotBeDeletedKeepsItsRowAndIsReported)
{
    std::filesystem::remove(dir / "A2.mdb");
    test::WriteText(dir / "A2.mdb" / "inside", "not a database");
    std::vector<bool> selected{true, true, false, false, false};
    ui.ScriptAnswer(MessageAnswer::Yes);

    EXPECT_EQ(DeleteDepartments(settings, lines, selected, ui), 1u);

    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_NE(ui.Messages()[1].Text.find("A2.mdb"), std::string::npos) << ui.Messages()[1].Text;
    EXPECT_EQ(ui.Messages()[1].Title, " Dorvan - Error ");
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(Texts(), lines);
    EXPECT_TRUE(std::filesystem::exists(dir / "A2.mdb" / "inside"));
    EXPECT_FALSE(std::filesystem::exists(dir / "A1.mdb"));
}

TEST_F(DeleteDepartmentsTest, NothingIsDeletedUnlessAskedAndFree)
{
    const std::vector<std::string> before = lines;
    const std::vector<bool> chosen{false, true, false, false, false};
    struct Case {
        const char* name;
        std::vector<bool> selected;
        std::vector<MessageAnswer> answers;
        bool importRunning;
        std::string message;
    };
    const Case cases[] = {
        {"none selected", std::vector<bool>(5, false), {}, false, " Wählen Sie mindestens ein Element aus!"},
        {"answer no", chosen, {MessageAnswer::No}, false, " Ausgewählte Intensivberichte entfernen ?"},
        {"import running", chosen, {MessageAnswer::Yes}, true, "arbeitet gerade"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedUserInterface scripted;
        for (auto answer : c.answers)
            scripted.ScriptAnswer(answer);
        std::optional<ExclusiveLock> importLock;
        if (c.importRunning) importLock.emplace(SystemDataLockFile(settings));
        std::vector<bool> selected = c.selected;

        EXPECT_EQ(DeleteDepartments(settings, lines, selected, scripted), 0u);

        ASSERT_FALSE(scripted.Messages().empty());
        EXPECT_NE(scripted.Messages().back().Text.find(c.message), std::string::npos)
            << scripted.Messages().back().Text;
        // A held lock is a notice to try again, not an error.
        EXPECT_EQ(scripted.Messages().back().Title, " Programmhinweis ");
        EXPECT_EQ(selected, c.selected);
        EXPECT_EQ(lines, before);
        EXPECT_EQ(RowCount(), 5);
        EXPECT_TRUE(std::filesystem::exists(dir / "A2.mdb"));
    }
}

TEST_F(DeleteDepartmentsTest, ALineWhoseRowIsGoneLeavesTheList)
{
    {
        Database admin(AdminFile());
        admin.Execute("DELETE FROM \"Dateiverwaltung\" WHERE \"MDB_DATEI\" = 'A1.mdb'");
    }
    std::vector<bool> selected{true, false, false, false, false};
    ui.ScriptAnswer(MessageAnswer::Yes);

    EXPECT_EQ(DeleteDepartments(settings, lines, selected, ui), 0u);

    EXPECT_EQ(lines.size(), 4u);
    EXPECT_EQ(Texts(), lines);
    EXPECT_EQ(RowCount(), 4);
}

}  // namespace
}  // namespace kalmora
