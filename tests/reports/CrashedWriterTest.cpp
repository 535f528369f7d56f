// A writer that crashed leaves its journal beside the database. The reports read such a database as
// it was before the crashed write, or say in German why they cannot yet; never the engine's text.
#include "foundation/FailureText.h"
#include "foundation/Settings.h"
#include "reports/DepartmentLines.h"
#include "reports/PatientSearch.h"
#include "reports/ReportDetail.h"
#include "reports/StayLines.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"
#include "support/DepartmentRows.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace kalmora {
namespace {

namespace fs = std::filesystem;

// A department database "D1.mdb" with one stay, its type-1 row and two survey days, left as a
// writer leaves it that crashed while deleting them all: the rows gone from the file, the journal
// to restore them beside it.
class CrashedWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.SystemDataPath = dir.Path().string();
        MakeDepartment();
    }

    void MakeDepartment()
    {
        RemoveDatabaseFiles(file);
        CreateDepartmentTemplate(file);
        Database department(file);
        test::AddStay(department, key);
        test::AddStayRecord(department, key);
        test::AddTissDay(department, key, "20240305");
        test::AddTissDay(department, key, "20240306");
    }

    void CrashWhileDeleting()
    {
        const fs::path saved = dir / "saved-journal";
        Database writer(file);
        // Without syncs the journal's page count is left open, so all of its pages are played back.
        writer.Execute("PRAGMA synchronous = OFF; BEGIN IMMEDIATE; DELETE FROM \"Satzart 3 - TISS28\"; "
                       "DELETE FROM \"Satzart 1 - Patientenadministration Intensiv\"; "
                       "DELETE FROM \"Gesamt - Patientenadministration\"");
        fs::copy_file(Journal(), saved);
        writer.Execute("COMMIT");
        fs::rename(saved, Journal());
    }

    fs::path Journal() const
    {
        auto journal = file;
        journal += "-journal";
        return journal;
    }

    static std::string DepartmentLine()
    {
        return DepartmentLineText("K001", "Klinikum", "12100101", "Intensiv", "D1.mdb", "EXTERN");
    }

    SelectedStay Stay() const
    {
        SelectedStay stay;
        stay.Origin = "EXTERN";
        stay.KisId = key.KisId;
        stay.Dob = key.Dob;
        stay.AdmDate = key.AdmDate;
        return stay;
    }

    // Each reader of a department database, with what it finds of the stay.
    struct Reader {
        const char* Name;
        std::function<std::string(CrashedWriterTest&)> Read;
    };
    static std::vector<Reader> Readers()
    {
        return {
            {"stay lines",
             [](CrashedWriterTest& t) {
                 std::string text;
                 for (const auto& line : ReadStayLines(t.settings, DepartmentLine()))
                     text += line.substr(0, 10) + ";";
                 return text;
             }},
            {"report detail",
             [](CrashedWriterTest& t) {
                 const ReportDetail detail = ReadReportDetail(t.settings, DepartmentLine(), t.Stay());
                 return detail.Base.KisId + ";" + std::to_string(detail.Days.size()) + " days";
             }},
            {"patient search",
             [](CrashedWriterTest& t) {
                 PatientSearchKey search;
                 search.KisId = t.key.KisId;
                 return DepartmentHoldsPatient(t.settings, DepartmentLine(), search) ? "found " + t.key.KisId : "none";
             }},
        };
    }

    test::TempDir dir;
    fs::path file = dir / "D1.mdb";
    Settings settings;
    test::StayKey key{"A000000001", "19501117", "202403051430"};
};

TEST_F(CrashedWriterTest, ReadersPlayTheJournalBackAndSeeTheDataBeforeTheCrash)
{
    for (const auto& reader : Readers()) {
        SCOPED_TRACE(reader.Name);
        MakeDepartment();
        const std::string before = reader.Read(*this);
        CrashWhileDeleting();
        ASSERT_TRUE(fs::exists(Journal()));

        EXPECT_EQ(reader.Read(*this), before);
        EXPECT_NE(before.find("A000000001"), std::string::npos);
        EXPECT_FALSE(fs::exists(Journal()));
        Database check(file, OpenMode::ReadOnly);
        EXPECT_EQ(test::CountRows(check, "Satzart 3 - TISS28"), 2);
    }
}

TEST_F(CrashedWriterTest, WhileAnotherRunHoldsTheDataReadersSaySoInGerman)
{
    for (const auto& reader : Readers()) {
        SCOPED_TRACE(reader.Name);
        MakeDepartment();
        CrashWhileDeleting();
        const std::string journal = test::ReadText(Journal());
        const ExclusiveLock importRunning(SystemDataLockFile(settings));

        try {
            reader.Read(*this);
            ADD_FAILURE() << "read without the journal played back";
        } catch (const LockedError& error) {
            const std::string text = GermanReason(error);
            EXPECT_NE(text.find("abgebrochenen Schreibvorgang"), std::string::npos) << text;
            EXPECT_NE(text.find("Bitte später erneut versuchen."), std::string::npos) << text;
        }
        // Nothing was written: the journal waits for the next reader.
        EXPECT_EQ(test::ReadText(Journal()), journal);
    }
}

TEST_F(CrashedWriterTest, DepartmentListReadsAnAdminDatabaseLeftByACrashedWriter)
{
    const fs::path admin = dir / "iadmin.mdb";
    CreateAdminDatabase(admin);
    {
        Database writer(admin);
        writer
            .Prepare("INSERT INTO \"Dateiverwaltung\" (\"KANR\", \"ABTEILUNG\", \"MDB_DATEI\", \"SBETT\", \"DGKP\", "
                     "\"Status\", \"VOREINSTUFUNG\") VALUES ('K001', '12100101', 'D1.mdb', 0, 0, 'EXTERN', ' ')")
            .Execute();
    }
    const auto before = ReadDepartmentLines(settings);
    ASSERT_EQ(before.size(), 1u);
    {
        auto journal = admin;
        journal += "-journal";
        Database writer(admin);
        writer.Execute("PRAGMA synchronous = OFF; BEGIN IMMEDIATE; DELETE FROM \"Dateiverwaltung\"");
        fs::copy_file(journal, dir / "saved-journal");
        writer.Execute("COMMIT");
        fs::rename(dir / "saved-journal", journal);
    }

    const auto after = ReadDepartmentLines(settings);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].Text, before[0].Text);
}

}  // namespace
}  // namespace kalmora
