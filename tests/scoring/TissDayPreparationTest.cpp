#include "scoring/TissDayPreparation.h"

#include "foundation/Conversions.h"
#include "foundation/FixedText.h"
#include "foundation/Val.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/DepartmentRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {
namespace {

using test::CountRows;

// A survey day delivered by the import file; no score stands for a row whose score was never written.
struct ImportedDay {
    std::string_view RecDate;
    std::optional<std::string_view> Score;
};

StayForDays Stay(std::string_view admDate, std::string_view disDate)
{
    return {"K001", "121001", "01", "A000000001", "19600101", std::string(admDate), std::string(disDate)};
}

void AddImportedDay(Database& db, const StayForDays& stay, const ImportedDay& day)
{
    auto insert = db.Prepare("INSERT INTO \"Satzart 3 - TISS28\" (\"QUALIFIER\", \"KA_ID\", \"ICU_FUN_ID\", "
                             "\"ICU_FUN_SID\", \"KIS_ID\", \"DOB\", \"ADM_DATE\", \"REC_DATE\", \"T28_STAND_MON\", "
                             "\"T28_SCORE\") VALUES ('3', ?, ?, ?, ?, ?, ?, ?, '1', ?)");
    insert.BindAll(stay.KaId, stay.IcuFunId, stay.IcuFunSid, stay.KisId, stay.Dob, stay.AdmDate, day.RecDate);
    if (day.Score)
        insert.Bind(8, *day.Score);
    else
        insert.BindNull(8);
    insert.Execute();
}

// The import's pass over the days of a stay: from the admission day up to the discharge day.
void PrepareAllDays(TissDayPreparer& preparer, const StayForDays& stay)
{
    const double lastDay = Val(LeftCharacters(stay.DisDate, 8));
    for (std::string day(LeftCharacters(stay.AdmDate, 8)); lastDay >= Val(day);
         day = NextDayCompact(FormatCompactDate(day, 8))) {
        preparer.PrepareTissDays(stay, day);
    }
}

// The same pass with the stay's days handed over at once, as the import does it.
void PrepareAllDaysAtOnce(TissDayPreparer& preparer, const StayForDays& stay)
{
    std::vector<std::string> days;
    const double lastDay = Val(LeftCharacters(stay.DisDate, 8));
    for (std::string day(LeftCharacters(stay.AdmDate, 8)); lastDay >= Val(day);
         day = NextDayCompact(FormatCompactDate(day, 8))) {
        days.push_back(day);
    }
    preparer.PrepareStayDays(stay, days);
}

// The stay's survey days as "REC_DATE QUALIFIER T28_SCORE", in date order.
std::vector<std::string> DaysOf(Database& db, const StayForDays& stay)
{
    auto rows = db.Prepare("SELECT \"REC_DATE\", \"QUALIFIER\", \"T28_SCORE\" FROM \"Satzart 3 - TISS28\" "
                           "WHERE \"KIS_ID\" = ? AND \"DOB\" = ? AND \"ADM_DATE\" = ? ORDER BY \"REC_DATE\"");
    rows.BindAll(stay.KisId, stay.Dob, stay.AdmDate);
    std::vector<std::string> days;
    while (rows.Step())
        days.push_back(rows.Text(0) + " " + rows.Text(1) + " " + (rows.IsNull(2) ? "NULL" : rows.Text(2)));
    return days;
}

// The import works on a copy of the empty template.
Database OpenTemplateCopy(const test::TempDir& dir)
{
    CreateDepartmentTemplate(dir / "ibds.mdb");
    std::filesystem::copy_file(dir / "ibds.mdb", dir / "temp.mdb");
    return Database(dir / "temp.mdb");
}

class TissDayPreparationTest : public ::testing::Test {
protected:
    test::TempDir dir;
    Database db = OpenTemplateCopy(dir);
};

TEST_F(TissDayPreparationTest, FillsTheMissingDaysOfAStay)
{
    struct Case {
        std::string_view name;
        std::string_view admDate;
        std::string_view disDate;
        std::vector<ImportedDay> imported;
        std::vector<std::string> expected;
    };
    // clang-format off
    const Case cases[] = {
        {"admission and discharge day take their neighbours' scores", "202403011000", "202403040900",
         {{"20240302", "020"}, {"20240303", "025"}},
         {"20240301 E 020", "20240302 3 020", "20240303 3 025", "20240304 L 025"}},
        {"days in between score 0, and so does the discharge day after them", "202403011000", "202403040900",
         {{"20240301", "030"}},
         {"20240301 3 030", "20240302 M 000", "20240303 M 000", "20240304 L 000"}},
        {"a stay of one day gets an admission day", "202403050800", "202403051700",
         {},
         {"20240305 E 000"}},
        {"a stay of one imported day is unchanged", "202403050800", "202403051700",
         {{"20240305", "012"}},
         {"20240305 3 012"}},
        {"imported days are never changed", "202403011000", "202403030900",
         {{"20240301", "010"}, {"20240302", "011"}, {"20240303", "012"}},
         {"20240301 3 010", "20240302 3 011", "20240303 3 012"}},
        {"the admission day does not take a later day's score", "202403011000", "202403040900",
         {{"20240303", "025"}},
         {"20240301 E 000", "20240302 M 000", "20240303 3 025", "20240304 L 025"}},
        {"across a month end", "202401301000", "202402020900",
         {{"20240131", "021"}},
         {"20240130 E 021", "20240131 3 021", "20240201 M 000", "20240202 L 000"}},
        {"the next and the previous day of 29.02.", "202402281000", "202403010900",
         {{"20240229", "040"}},
         {"20240228 E 040", "20240229 3 040", "20240301 L 040"}},
        {"no 29.02. in 2023", "202302281000", "202303010900",
         {{"20230228", "015"}},
         {"20230228 3 015", "20230301 L 015"}},
        {"across a year end", "202312311000", "202401010900",
         {{"20231231", "017"}},
         {"20231231 3 017", "20240101 L 017"}},
        // A score that was never written is copied as three blanks.
        {"the discharge day copies a missing score", "202403011000", "202403020900",
         {{"20240301", std::nullopt}},
         {"20240301 3 NULL", "20240302 L    "}},
    };
    // clang-format on
    for (const auto& c : cases) {
        for (const auto prepare : {&PrepareAllDays, &PrepareAllDaysAtOnce}) {
            SCOPED_TRACE(std::string(c.name) + (prepare == &PrepareAllDays ? " (day by day)" : " (all at once)"));
            db.Execute("DELETE FROM \"Satzart 3 - TISS28\"");
            const StayForDays stay = Stay(c.admDate, c.disDate);
            for (const auto& day : c.imported)
                AddImportedDay(db, stay, day);
            TissDayPreparer preparer(db);
            prepare(preparer, stay);
            EXPECT_EQ(DaysOf(db, stay), c.expected);
        }
    }
}

TEST_F(TissDayPreparationTest, FilledDaysCarryTheStayFieldsAndNoItems)
{
    const StayForDays stay = Stay("202403011000", "202403020900");
    TissDayPreparer preparer(db);
    PrepareAllDays(preparer, stay);

    auto rows = db.Prepare("SELECT * FROM \"Satzart 3 - TISS28\" ORDER BY \"REC_DATE\"");
    for (std::string_view recDate : {"20240301", "20240302"}) {
        SCOPED_TRACE(recDate);
        ASSERT_TRUE(rows.Step());
        EXPECT_EQ(rows.Text("KA_ID"), stay.KaId);
        EXPECT_EQ(rows.Text("ICU_FUN_ID"), stay.IcuFunId);
        EXPECT_EQ(rows.Text("ICU_FUN_SID"), stay.IcuFunSid);
        EXPECT_EQ(rows.Text("KIS_ID"), stay.KisId);
        EXPECT_EQ(rows.Text("DOB"), stay.Dob);
        EXPECT_EQ(rows.Text("ADM_DATE"), stay.AdmDate);
        EXPECT_EQ(rows.Text("REC_DATE"), recDate);
        EXPECT_TRUE(rows.IsNull(rows.ColumnIndex("T28_STAND_MON")));
        EXPECT_TRUE(rows.IsNull(rows.ColumnIndex("STUNDEN")));
    }
    EXPECT_FALSE(rows.Step());
}

TEST_F(TissDayPreparationTest, SeesOnlyTheDaysOfItsOwnStay)
{
    // The key is compared as stored, blanks included.
    StayForDays stay = Stay("202403011000", "202403030900");
    stay.KisId = "12345     ";
    StayForDays samePatientOtherStay = stay;
    samePatientOtherStay.AdmDate = "202403011100";
    StayForDays unpadded = stay;
    unpadded.KisId = "12345";
    StayForDays otherPatient = stay;
    otherPatient.Dob = "19600102";
    for (const auto& other : {samePatientOtherStay, unpadded, otherPatient}) {
        AddImportedDay(db, other, {"20240301", "050"});
        AddImportedDay(db, other, {"20240302", "051"});
    }

    TissDayPreparer preparer(db);
    PrepareAllDays(preparer, stay);

    EXPECT_EQ(DaysOf(db, stay), (std::vector<std::string>{"20240301 E 000", "20240302 M 000", "20240303 L 000"}));
    EXPECT_EQ(CountRows(db, kTissTable), 9) << "the other stays keep their days";
}

TEST_F(TissDayPreparationTest, TakesTheFirstEightCharactersOfTheTrimmedDay)
{
    const StayForDays stay = Stay("202403011000", "202403020900");
    AddImportedDay(db, stay, {"20240302", "033"});
    TissDayPreparer preparer(db);

    preparer.PrepareTissDays(stay, "  202403011000  ");
    preparer.PrepareTissDays(stay, " 20240302");

    EXPECT_EQ(DaysOf(db, stay), (std::vector<std::string>{"20240301 E 033", "20240302 3 033"}));
}

TEST_F(TissDayPreparationTest, ASecondPassChangesNothing)
{
    const StayForDays stay = Stay("202403011000", "202403040900");
    AddImportedDay(db, stay, {"20240302", "020"});
    TissDayPreparer preparer(db);
    PrepareAllDays(preparer, stay);
    const auto firstPass = DaysOf(db, stay);

    // The earlier filled-in rows stay as they are even though 03.03. now has a score to offer.
    db.Execute("UPDATE \"Satzart 3 - TISS28\" SET \"T28_SCORE\" = '044' WHERE \"REC_DATE\" = '20240303'");
    PrepareAllDays(preparer, stay);

    EXPECT_EQ(firstPass,
              (std::vector<std::string>{"20240301 E 020", "20240302 3 020", "20240303 M 000", "20240304 L 000"}));
    EXPECT_EQ(DaysOf(db, stay),
              (std::vector<std::string>{"20240301 E 020", "20240302 3 020", "20240303 M 044", "20240304 L 000"}));
}

TEST_F(TissDayPreparationTest, LeavesNoLockBehindEvenAfterAFailure)
{
    const StayForDays stay = Stay("202403011000", "202403020900");
    AddImportedDay(db, stay, {"20240301", "030"});
    TissDayPreparer preparer(db);
    preparer.PrepareTissDays(stay, "20240301");  // found: the seek stops on a row

    StayForDays tooLong = stay;
    tooLong.KaId = "K00001";  // wider than the field
    EXPECT_THROW(preparer.PrepareTissDays(tooLong, "20240302"), StorageError);

    // Another connection can write at once, and the preparer goes on working.
    Database other(dir / "temp.mdb");
    other.Execute("PRAGMA busy_timeout = 0");
    EXPECT_NO_THROW(AddImportedDay(other, Stay("202405011000", "202405010900"), {"20240501", "001"}));
    preparer.PrepareTissDays(stay, "20240302");
    EXPECT_EQ(DaysOf(db, stay), (std::vector<std::string>{"20240301 3 030", "20240302 L 030"}));
}

}  // namespace
}  // namespace kalmora
