#include "reports/ReportDetail.h"

#include "foundation/Settings.h"
#include "reports/DepartmentLines.h"
#include "scoring/Tiss28Items.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "support/DepartmentRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kalmora {
namespace {

TEST(ReportFieldTest, OutcomesShowTheirItemOrTheEmptyOne)
{
    struct Case {
        std::string value;
        int lastItem;
        int item;
    };
    const Case cases[] = {
        {"0", 4, 0}, {"5", 4, 0}, {"", 4, 0},  {" ", 4, 0}, {"x", 4, 0},  {"3", 4, 3},
        {"4", 4, 4}, {"1", 4, 1}, {"3", 2, 0}, {"2", 2, 2}, {"-1", 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value + "/" + std::to_string(c.lastItem));
        EXPECT_EQ(OutcomeItemOf(c.value, c.lastItem), c.item);
    }
    EXPECT_EQ(kIcuOutcomeItems[3], "Gestorben");
    EXPECT_EQ(kHospMortItems[2], "Entlassen");
}

TEST(ReportFieldTest, OnlyAStoredOneTicksAnItem)
{
    const std::pair<std::string, bool> cases[] = {
        {"1", true}, {"0", false}, {"2", false}, {"-1", false}, {"", false}, {" ", false}, {"x", false},
    };
    for (const auto& [value, ticked] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ItemTicked(value), ticked);
    }
}

TEST(ReportFieldTest, TheScoreShowsAsANumber)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"   ", ""}, {"017", "17"}, {"23", "23"}, {"0", "0"}, {"x", "0"},
    };
    for (const auto& [value, shown] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ScoreTextOf(value), shown);
    }
}

// A department database "D1.mdb" with one stay, its type-1 row and survey days.
class ReportDetailTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.SystemDataPath = dir.Path().string();
        CreateDepartmentTemplate(dir / "D1.mdb");
        department.emplace(dir / "D1.mdb");
        test::AddStay(*department, key);
        stay.Origin = "EXTERN";
        stay.KisId = key.KisId;
        stay.Dob = key.Dob;
        stay.AdmDate = key.AdmDate;
    }

    void SetStayRecord(std::string_view disDate, std::string_view icuOutcome, std::string_view hospDisDate,
                       std::string_view hospMort)
    {
        test::AddStayRecord(*department, key);
        department
            ->Prepare("UPDATE \"Satzart 1 - Patientenadministration Intensiv\" SET \"DIS_DATE\" = ?, "
                      "\"ICU_OUTCOME\" = ?, \"HOSP_DIS_DATE\" = ?, \"HOSP_MORT\" = ?")
            .BindAll(disDate, icuOutcome, hospDisDate, hospMort)
            .Execute();
    }

    void SetDay(std::string_view recDate, std::string_view column, std::string_view value)
    {
        department
            ->Prepare("UPDATE \"Satzart 3 - TISS28\" SET " + QuoteIdentifier(column) + " = ? WHERE \"REC_DATE\" = ?")
            .BindAll(value, recDate)
            .Execute();
    }

    ReportDetail Read() { return ReadReportDetail(settings, DepartmentLine(), stay); }

    static std::string DepartmentLine()
    {
        return DepartmentLineText("K001", "Landesklinikum Eichenhain", "12100101",
                                  "Anästhesiologische Intensivstation mit Aufwachraum", "D1.mdb", "EXTERN");
    }

    test::TempDir dir;
    Settings settings;
    std::optional<Database> department;
    test::StayKey key{"O'Brien   ", "19501117", "202403051430"};
    SelectedStay stay;
};

TEST_F(ReportDetailTest, TheBaseDataPageShowsTheTypeOneRow)
{
    SetStayRecord("            ", "3", "20240310", "2");

    const ReportBaseData base = Read().Base;

    EXPECT_EQ(base.HospitalText, "K001 - Landesklinikum Eiche ");
    EXPECT_EQ(base.DepartmentText, "12100101 - Anästhesiologische Intensivstatio");
    EXPECT_EQ(base.KisId, "O'Brien   ");
    EXPECT_EQ(base.Dob, "17.11.1950");
    EXPECT_EQ(base.AdmDate, "05.03.2024, 14:30");
    EXPECT_EQ(base.DisDate, "");
    EXPECT_EQ(base.IcuOutcomeItem, 3);
    EXPECT_EQ(base.HospDisDate, "10.03.2024");
    EXPECT_EQ(base.HospMortItem, 2);
}

TEST_F(ReportDetailTest, AStayWithoutItsTypeOneRowShowsEmptyBaseData)
{
    const ReportBaseData base = Read().Base;
    EXPECT_EQ(base.HospitalText, "K001 - Landesklinikum Eiche ");
    EXPECT_EQ(base.KisId, "");
    EXPECT_EQ(base.AdmDate, "");
    EXPECT_EQ(base.IcuOutcomeItem, 0);
    EXPECT_EQ(base.HospMortItem, 0);
}

TEST_F(ReportDetailTest, OnlySurveyDaysOfQualifierThreeAreListedInStoredOrder)
{
    // Stored order, not date order.
    const std::pair<std::string, std::string> days[] = {
        {"20240305", "E"}, {"20240307", "3"}, {"20240304", "M"}, {"20240306", "3"}, {"20240308", "L"}};
    for (const auto& [recDate, qualifier] : days)
        test::AddTissDay(*department, key, recDate, qualifier);
    // Another stay's day is not this stay's.
    test::AddTissDay(*department, {"O'Brien   ", "19501117", "202403051431"}, "20240305");
    SetDay("20240307", "T28_LUNG", "1");
    SetDay("20240307", "T28_SCORE", "");
    SetDay("20240306", "T28_F_DRESS", "1");
    SetDay("20240306", "T28_LUNG", "2");
    SetDay("20240306", "T28_ART", "x");
    SetDay("20240306", "T28_SCORE", "017");

    const auto listed = Read().Days;

    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].DateText, "07.03.2024");
    EXPECT_EQ(listed[1].DateText, "06.03.2024");
    EXPECT_EQ(listed[0].ScoreText, "");
    EXPECT_EQ(listed[1].ScoreText, "17");
    auto ticked = [](const ReportDay& day) {
        std::vector<std::string_view> columns;
        for (std::size_t item = 0; item < kTiss28Items.size(); ++item)
            if (day.Ticked[item]) columns.push_back(kTiss28Items[item].Column);
        return columns;
    };
    EXPECT_EQ(ticked(listed[0]), std::vector<std::string_view>{"T28_LUNG"});
    EXPECT_EQ(ticked(listed[1]), std::vector<std::string_view>{"T28_F_DRESS"});
}

TEST_F(ReportDetailTest, AStayWithoutSurveyDaysHasNone)
{
    test::AddTissDay(*department, key, "20240305", "E");
    EXPECT_TRUE(Read().Days.empty());
}

TEST_F(ReportDetailTest, AMissingDepartmentDatabaseIsAnError)
{
    department.reset();
    std::filesystem::remove(dir / "D1.mdb");
    EXPECT_THROW(Read(), StorageError);
}

}  // namespace
}  // namespace kalmora
