#include "storage/CopyTables.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/DepartmentRows.h"
#include "support/TempDir.h"
#include "support/Posix.h"

#include <gtest/gtest.h>

namespace kalmora {
namespace {

using test::AddStay;
using test::AddStayRecord;
using test::AddTissDay;
using test::CountRows;
using test::StayKey;

class DepartmentTablesTest : public ::testing::Test {
protected:
    DepartmentTablesTest()
    {
        CreateDepartmentTemplate(dir / "ibds.mdb");
        std::filesystem::copy_file(dir / "ibds.mdb", dir / "temp.mdb");
    }

    std::filesystem::path MakeTarget(std::string_view name)
    {
        const auto target = dir / std::string(name);
        std::filesystem::copy_file(dir / "ibds.mdb", target);
        return target;
    }

    test::TempDir dir;
};

TEST_F(DepartmentTablesTest, DeletingAStayDeletesItsRecordsSoTheyCanBeAddedAgain)
{
    Database db(dir / "temp.mdb");
    const StayKey deleted;
    StayKey other = deleted;
    other.AdmDate = "202402011200";  // same patient, another stay
    for (const auto& key : {deleted, other}) {
        AddStay(db, key);
        AddStayRecord(db, key);
        AddTissDay(db, key, key.AdmDate.substr(0, 8));
    }

    db.Prepare("DELETE FROM \"Gesamt - Patientenadministration\" WHERE \"KIS_ID\" = ? AND \"DOB\" = ? AND "
               "\"ADM_DATE\" = ?")
        .BindAll(deleted.KisId, deleted.Dob, deleted.AdmDate)
        .Execute();

    EXPECT_EQ(CountRows(db, kStaysTable), 1);
    EXPECT_EQ(CountRows(db, kStayRecordsTable), 1);
    EXPECT_EQ(CountRows(db, kTissTable), 1);
    EXPECT_NO_THROW(AddStayRecord(db, deleted));
    EXPECT_THROW(AddStayRecord(db, other), DuplicateKey);
}

TEST_F(DepartmentTablesTest, CopyAppendsAllRowsWhateverTheirQualifier)
{
    const auto target = MakeTarget("12K0011210.mdb");
    {
        Database source(dir / "temp.mdb");
        const StayKey key;
        AddStay(source, key);
        AddStayRecord(source, key);
        const char* qualifiers[] = {"E", "3", "M", "L"};
        for (int day = 0; day < 4; ++day)
            AddTissDay(source, key, "2024010" + std::to_string(day + 1), qualifiers[day]);
        CopyTablesToDatabase(source, target);
        EXPECT_EQ(CountRows(source, kTissTable), 4) << "the source is unchanged";
    }
    Database copy(target, OpenMode::ReadOnly);
    EXPECT_EQ(CountRows(copy, kStaysTable), 1);
    EXPECT_EQ(CountRows(copy, kStayRecordsTable), 1);
    auto rows = copy.Prepare("SELECT group_concat(\"QUALIFIER\", '') FROM \"Satzart 3 - TISS28\"");
    ASSERT_TRUE(rows.Step());
    EXPECT_EQ(rows.Text(0), "E3ML") << "all days, in their stored order";
}

TEST_F(DepartmentTablesTest, CopySkipsRowsTheTargetAlreadyHoldsAndAppendsTheRest)
{
    const auto target = MakeTarget("target.mdb");
    const StayKey shared;
    StayKey fresh;
    fresh.KisId = "B000000002";
    {
        Database targetDb(target);
        AddStay(targetDb, shared, "W");
    }
    {
        Database source(dir / "temp.mdb");
        AddStay(source, shared, "O");
        AddStay(source, fresh, "O");
        CopyTablesToDatabase(source, target);
    }
    Database copy(target, OpenMode::ReadOnly);
    auto rows = copy.Prepare("SELECT \"KIS_ID\", \"FLAG\" FROM \"Gesamt - Patientenadministration\" ORDER BY rowid");
    ASSERT_TRUE(rows.Step());
    EXPECT_EQ(rows.Text("KIS_ID"), shared.KisId);
    EXPECT_EQ(rows.Text("FLAG"), "W") << "the target's row stays as it was";
    ASSERT_TRUE(rows.Step());
    EXPECT_EQ(rows.Text("KIS_ID"), fresh.KisId);
    EXPECT_FALSE(rows.Step());
}

TEST_F(DepartmentTablesTest, CopyWorksIntoPathsWithQuotesAndRefusesAMissingTarget)
{
    std::filesystem::create_directory(dir / test::kQuotedFolder);
    const auto target = MakeTarget(std::string(test::kQuotedFolder) + "/it's.mdb");
    Database source(dir / "temp.mdb");
    AddStay(source, StayKey{});
    CopyTablesToDatabase(source, target);
    EXPECT_EQ(CountRows(source, kStaysTable), 1);
    {
        Database copy(target, OpenMode::ReadOnly);
        EXPECT_EQ(CountRows(copy, kStaysTable), 1);
    }

    const auto missing = dir / "missing.mdb";
    EXPECT_THROW(CopyTablesToDatabase(source, missing), StorageError);
    EXPECT_FALSE(std::filesystem::exists(missing)) << "a missing target is not created empty";
    // The source stays usable after a failed copy.
    EXPECT_NO_THROW(CopyTablesToDatabase(source, MakeTarget("again.mdb")));
}

}  // namespace
}  // namespace kalmora
