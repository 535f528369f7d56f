#include "reports/StayLines.h"

#include "foundation/Settings.h"
#include "reports/DepartmentLines.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalmora {
namespace {

// A department database "D1.mdb" in the system directory with the given stays.
class StayLinesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.SystemDataPath = dir.Path().string();
        CreateDepartmentTemplate(dir / "D1.mdb");
    }

    void Add(const std::vector<StoredStay>& stays)
    {
        Database department(dir / "D1.mdb");
        for (const auto& stay : stays) {
            department
                .Prepare("INSERT INTO \"Gesamt - Patientenadministration\" (\"KIS_ID\", \"DOB\", \"ADM_DATE\", "
                         "\"DIS_DATE\", \"TYP\", \"FLAG\") VALUES (?, ?, ?, ?, ?, ?)")
                .BindAll(stay.KisId, stay.Dob, stay.AdmDate, stay.DisDate, stay.Typ, stay.Flag)
                .Execute();
        }
    }

    static std::string DepartmentLine(std::string_view status)
    {
        return DepartmentLineText("K001", "Klinikum", "12100101", "Intensiv", "D1.mdb", status);
    }

    test::TempDir dir;
    Settings settings;
};

TEST_F(StayLinesTest, LinesKeepTheirColumnsInStoredOrder)
{
    struct Case {
        StoredStay stay;
        std::string line;
    };
    const std::string gap = "   ";
    const Case cases[] = {
        {{"A000000002", "19501117", "202403051430", "202403071005", "INT", "O"},
         "A000000002   17.11.1950   05.03.2024, 14:30   07.03.2024, 10:05   INT   Korrekt   "},
        // No discharge: the type still starts in column 67.
        {{"A000000001", "19501117", "202403051430", "            ", "INT", "U"},
         "A000000001   17.11.1950   05.03.2024, 14:30   " + std::string(17, ' ') + "   INT   In Arbeit "},
        {{"B1        ", "20000229", "202402290000", "202403010000", "INT", "W"},
         "B1           29.02.2000   29.02.2024, 00:00   01.03.2024, 00:00   INT   Inkorrekt "},
        // A stay without a type keeps its status in column 73.
        {{"C1        ", "        ", "202401011200", "", "", "E"},
         "C1           " + std::string(10, ' ') + "   01.01.2024, 12:00   " + std::string(17, ' ') +
             "         Entlassen "},
        {{"D1        ", "19600101", "202401011200", "", "INT", "X"},
         "D1           01.01.1960   01.01.2024, 12:00   " + std::string(17, ' ') + "   INT             "},
    };
    std::vector<StoredStay> stays;
    for (const auto& c : cases)
        stays.push_back(c.stay);
    Add(stays);

    const auto lines = ReadStayLines(settings, DepartmentLine("INTERN"));

    ASSERT_EQ(lines.size(), std::size(cases));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], cases[i].line);
        EXPECT_EQ(lines[i].size(), 82u);
        EXPECT_EQ(StayLineText(cases[i].stay), cases[i].line);
    }
    EXPECT_TRUE(HasReport(lines[0]));
    EXPECT_FALSE(HasReport(lines[3]));
}

TEST_F(StayLinesTest, AnEmptyStayTableGivesNoLines)
{
    EXPECT_TRUE(ReadStayLines(settings, DepartmentLine("INTERN")).empty());
    EXPECT_THROW(ReadStayLines(settings, DepartmentLineText("K001", "", "12100101", "", "Fehlt.mdb", "INTERN")),
                 StorageError);
}

TEST_F(StayLinesTest, TheKeyRebuiltFromALineFindsTheStoredStay)
{
    // An admission number with a quote must reach the database as a value.
    const StoredStay stored{"O'B 1\"; --", "19501117", "202403051430", "", "INT", "O"};
    Add({{"A000000001", "19501117", "202403051430", "", "INT", "O"}, stored});
    const auto lines = ReadStayLines(settings, DepartmentLine("EXTERN"));
    ASSERT_EQ(lines.size(), 2u);

    const SelectedStay key = SelectedStayOf(lines[1], DepartmentLine("EXTERN"));

    EXPECT_EQ(key.Origin, "EXTERN");
    EXPECT_EQ(key.KisId, stored.KisId);
    EXPECT_EQ(key.Dob, "19501117");
    EXPECT_EQ(key.AdmDate, "202403051430");
    Database department(dir / "D1.mdb", OpenMode::ReadOnly);
    const auto found = FindStay(department, key);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->KisId, stored.KisId);

    EXPECT_EQ(SelectedStayOf(lines[1], DepartmentLine("INTERN")).Origin, "INTERN");
    SelectedStay other = key;
    other.KisId = "O'B 1";
    EXPECT_FALSE(FindStay(department, other).has_value());
}

TEST_F(StayLinesTest, BlankDatesGiveABlankKey)
{
    Add({{"C1        ", "        ", "            ", "", "", "E"}});
    const auto lines = ReadStayLines(settings, DepartmentLine("INTERN"));
    ASSERT_EQ(lines.size(), 1u);
    const SelectedStay key = SelectedStayOf(lines[0], DepartmentLine("INTERN"));
    EXPECT_EQ(key.Dob, "        ");
    EXPECT_EQ(key.AdmDate, "            ");
}

}  // namespace
}  // namespace kalmora
