#include "analysis/DepartmentAnalysis.h"

#include "foundation/FixedText.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "reports/DepartmentLines.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kalmora {
namespace {

// A stay as the analysis sees it: its discharge month and type; nothing stands for a field never set.
struct Stay {
    std::optional<std::string> YearMonth;
    std::optional<std::string> Typ = "INT";
    std::string Flag = "O";
};

// November 2023 three "INT" stays, December 2023 two stays of no type, January 2024 one "INT" stay;
// stored out of order.
const std::vector<Stay> kExample{
    {"202401"}, {"202311"}, {"202312", ""}, {"202311"}, {"202312", std::nullopt}, {"202311", "INT", "W"}};

class DepartmentAnalysisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.SystemDataPath = dir.Path().string();
        CreateDepartmentTemplate(dir / "ibds.mdb");
    }

    // A department database with these stays, and its line in the report list.
    std::string Department(const std::string& abteilung, const std::string& file, const std::vector<Stay>& stays)
    {
        std::filesystem::copy_file(dir / "ibds.mdb", dir / file);
        Database department(dir / file);
        int number = 0;
        for (const auto& stay : stays) {
            auto insert = department.Prepare(
                "INSERT INTO \"Gesamt - Patientenadministration\" (\"KIS_ID\", \"DOB\", \"ADM_DATE\", "
                "\"DIS_YEARMONTH\", \"TYP\", \"FLAG\") VALUES (?, '19600101', '202301011200', ?, ?, ?)");
            insert.Bind(1, FitToWidth(std::to_string(++number), 10));
            stay.YearMonth ? insert.Bind(2, *stay.YearMonth) : insert.BindNull(2);
            stay.Typ ? insert.Bind(3, *stay.Typ) : insert.BindNull(3);
            insert.Bind(4, stay.Flag);
            insert.Execute();
        }
        return DepartmentLineText("K002", "Krankenhaus Nordstadt", abteilung,
                                  "Anästhesiologische Intensivstation mit Aufwachraum", file, "EXTERN");
    }

    std::vector<MonthCount> Counts(const std::vector<Stay>& stays)
    {
        Department("12100101", "count.mdb", stays);
        Database department(dir / "count.mdb", OpenMode::ReadOnly);
        return CountStaysPerMonth(department);
    }

    bool HasView(const std::string& file)
    {
        Database department(dir / file, OpenMode::ReadOnly);
        auto view = department.Prepare("SELECT 1 FROM sqlite_schema WHERE name = 'Abteilungsanalyse'");
        return view.Step();
    }

    test::TempDir dir;
    Settings settings;
    ScriptedUserInterface ui;
};

TEST_F(DepartmentAnalysisTest, CountsTheIntStaysOfEveryDischargeMonthInAscendingOrder)
{
    struct Case {
        const char* Name;
        std::vector<Stay> Stays;
        std::vector<MonthCount> Expected;
    };
    const std::vector<Case> cases{
        {"the example: a month of stays of no type counts 0", kExample, {{"202311", 3}, {"202312", 0}, {"202401", 1}}},
        {"no stays", {}, {}},
        // Never set and blank are the same: no discharge month. They come first.
        {"without discharge month",
         {{"202402"}, {std::nullopt}, {"      "}, {"", std::nullopt}},
         {{"", 2}, {"202402", 1}}},
        {"no stay of type INT at all", {{"202403", ""}, {"202404", std::nullopt}}, {{"202403", 0}, {"202404", 0}}},
        // The type was read as a column name, which compares without regard to case.
        {"type in small letters", {{"202405", "int"}}, {{"202405", 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove(dir / "count.mdb");
        EXPECT_EQ(Counts(c.Stays), c.Expected);
    }
}

TEST_F(DepartmentAnalysisTest, RowsOfTwoDepartmentsInListOrderAndOneWithoutStays)
{
    const std::string first = Department("12510101", "first.mdb", kExample);
    const std::string empty = Department("12100101", "empty.mdb", {});
    const std::string second = Department("12100102", "second.mdb", {{"202312"}});

    const auto analyses = AnalyseDepartments(settings, {first, empty, second}, ui);
    const auto rows = AnalysisRows(analyses);

    // The department's name to its 38th character, and in the row of a department without stays to its 41st.
    const std::string name = "Anästhesiologische Intensivstation mit";
    const std::vector<AnalysisCells> expected{
        {"K002 - Krankenhaus Nordstad", "12510101 - " + name, "2023", "11", "3"},
        {"K002 - Krankenhaus Nordstad", "12510101 - " + name, "2023", "12", "0"},
        {"K002 - Krankenhaus Nordstad", "12510101 - " + name, "2024", "01", "1"},
        {"K002 - Krankenhaus Nordstad", "12100101 - " + name + " Au", " ", " ", "0"},
        {"K002 - Krankenhaus Nordstad", "12100102 - " + name, "2023", "12", "1"},
    };
    EXPECT_EQ(rows, expected);
    EXPECT_TRUE(ui.Messages().empty());

    EXPECT_EQ(AnalysisClipboardText(rows), "KA\tAbteilung\tJahr\tMonat\tINT-Patienten\r"
                                           "K002 - Krankenhaus Nordstad\t12510101 - " +
                                               name +
                                               "\t2023\t11\t3\r"
                                               "K002 - Krankenhaus Nordstad\t12510101 - " +
                                               name +
                                               "\t2023\t12\t0\r"
                                               "K002 - Krankenhaus Nordstad\t12510101 - " +
                                               name +
                                               "\t2024\t01\t1\r"
                                               "K002 - Krankenhaus Nordstad\t12100101 - " +
                                               name +
                                               " Au\t \t \t0\r"
                                               "K002 - Krankenhaus Nordstad\t12100102 - " +
                                               name + "\t2023\t12\t1");
}

TEST_F(DepartmentAnalysisTest, ShowsEachDepartmentInTheStatusBarAndEndsReady)
{
    const std::string first = Department("12510101", "first.mdb", kExample);
    const std::string second = Department("12100102", "second.mdb", {});

    AnalyseDepartments(settings, {first, second}, ui);

    EXPECT_EQ(ui.StatusHistory(1), (std::vector<std::string>{" Analyse...", " Analyse...", " Bereit"}));
    EXPECT_EQ(ui.StatusHistory(2).front(), std::string(HospitalTextOf(first)) + " ");
    EXPECT_EQ(ui.StatusHistory(3)[1], std::string(DepartmentTextOf(second)) + " ");
    EXPECT_EQ(ui.StatusText(2), " ");
    EXPECT_EQ(ui.StatusText(3), " ");
    EXPECT_EQ(ui.BusyDepth(), 0);
    EXPECT_EQ(ui.EventRuns(), 2);
}

TEST_F(DepartmentAnalysisTest, WithoutRowsTheClipboardHoldsTheTitleLineAlone)
{
    const auto analyses = AnalyseDepartments(settings, {}, ui);
    EXPECT_TRUE(analyses.empty());
    EXPECT_EQ(AnalysisClipboardText(AnalysisRows(analyses)), "KA\tAbteilung\tJahr\tMonat\tINT-Patienten");
}

TEST_F(DepartmentAnalysisTest, ADepartmentThatCannotBeReadIsReportedAndTheOthersAreAnalysed)
{
    const std::string first = Department("12510101", "first.mdb", kExample);
    const std::string missing = DepartmentLineText("K002", "Nord", "12100101", "Verloren", "gone.mdb", "EXTERN");
    std::filesystem::create_directory(dir / "folder.mdb");
    const std::string notAFile = DepartmentLineText("K002", "Nord", "12100102", "Ordner", "folder.mdb", "EXTERN");
    const std::string second = Department("12100103", "second.mdb", {{"202312"}});

    const auto analyses = AnalyseDepartments(settings, {first, missing, notAFile, second}, ui);

    ASSERT_EQ(analyses.size(), 2u);
    EXPECT_EQ(analyses[0].Line, first);
    EXPECT_EQ(analyses[1].Line, second);
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].Title, " Dorvan - Error ");
    EXPECT_TRUE(
        ui.Messages()[0].Text.starts_with(" Analyse der Abteilung 12100101 - Verloren (gone.mdb) nicht möglich:"))
        << ui.Messages()[0].Text;
    EXPECT_TRUE(ui.Messages()[1].Text.starts_with(" Analyse der Abteilung 12100102 - Ordner (folder.mdb)"))
        << ui.Messages()[1].Text;
    EXPECT_FALSE(std::filesystem::exists(dir / "gone.mdb"));
    EXPECT_EQ(ui.StatusText(1), " Bereit");
}

// The count once lived in a stored query of this name; one left behind neither disturbs the count nor
// stays.
TEST_F(DepartmentAnalysisTest, AViewLeftBehindUnderTheQueryNameIsDropped)
{
    const std::string line = Department("12510101", "first.mdb", kExample);
    // One that no longer works, in another case of letters.
    Database(dir / "first.mdb").Execute("CREATE VIEW \"ABTEILUNGSANALYSE\" AS SELECT * FROM \"Gone\"");

    const auto analyses = AnalyseDepartments(settings, {line}, ui);

    ASSERT_EQ(analyses.size(), 1u);
    EXPECT_EQ(analyses[0].Months.size(), 3u);
    EXPECT_FALSE(HasView("first.mdb"));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DepartmentAnalysisTest, WhileAnImportHoldsTheDataTheLeftoverWaitsAndTheCountIsMadeAllTheSame)
{
    const std::string line = Department("12510101", "first.mdb", kExample);
    Database(dir / "first.mdb").Execute("CREATE VIEW \"Abteilungsanalyse\" AS SELECT 1");
    const ExclusiveLock import(SystemDataLockFile(settings));

    const auto analyses = AnalyseDepartments(settings, {line}, ui);

    ASSERT_EQ(analyses.size(), 1u);
    EXPECT_EQ(analyses[0].Months.size(), 3u);
    EXPECT_TRUE(HasView("first.mdb"));
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(DepartmentAnalysisTest, ChartHasEveryMonthFromTheFirstToTheLastAndOneSeriesPerDepartment)
{
    const std::string first = Department("12510101", "first.mdb", {{"202311"}, {"202402"}, {std::nullopt}});
    const std::string empty = Department("12100101", "empty.mdb", {});
    const std::string second = Department("12100102", "second.mdb", {{"202312", ""}, {"202401"}, {"202401"}});

    const AnalysisChart chart = AnalysisChartOf(AnalyseDepartments(settings, {first, empty, second}, ui));

    EXPECT_EQ(chart.Months, (std::vector<std::string>{"11.2023", "12.2023", "01.2024", "02.2024"}));
    ASSERT_EQ(chart.Departments.size(), 3u);
    EXPECT_EQ(chart.Departments[0].Name, "K002 12510101 - Anästhesiologische Intensivstation mit");
    EXPECT_EQ(chart.Departments[0].IntStays, (std::vector<std::int64_t>{1, 0, 0, 1}));
    EXPECT_EQ(chart.Departments[1].IntStays, (std::vector<std::int64_t>{0, 0, 0, 0}));
    EXPECT_EQ(chart.Departments[2].IntStays, (std::vector<std::int64_t>{0, 0, 2, 0}));
}

TEST_F(DepartmentAnalysisTest, ChartKeepsOnlyTheMonthsThereAreWhenTheyCannotBeLaidOnOneAxis)
{
    struct Case {
        const char* Name;
        std::vector<Stay> Stays;
        std::vector<std::string> Months;
    };
    const std::vector<Case> cases{
        {"a mistyped year", {{"199001"}, {"202401"}}, {"01.1990", "01.2024"}},
        {"no month", {{"202413"}, {"202401"}}, {"01.2024", "202413"}},
        {"no discharge month only", {{std::nullopt}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove(dir / "one.mdb");
        const std::string line = Department("12510101", "one.mdb", c.Stays);
        EXPECT_EQ(AnalysisChartOf(AnalyseDepartments(settings, {line}, ui)).Months, c.Months);
    }
}

}  // namespace

// Found by the test's printer next to the type.
void PrintTo(const MonthCount& count, std::ostream* out)
{
    *out << '"' << count.YearMonth << "\": " << count.IntStays;
}

}  // namespace kalmora
