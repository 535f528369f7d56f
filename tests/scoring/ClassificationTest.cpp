#include "scoring/Classification.h"

#include "foundation/FixedText.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Setup.h"
#include "support/ClassificationRows.h"
#include "support/DepartmentRows.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {
namespace {

using test::AddClassifiedDay;
using test::AddClassifiedStay;
using test::ClassifiedDay;
using test::ClassifiedStay;
using test::CountRows;

ClassificationSettings Period(std::string_view from, std::string_view to, std::string_view minimumHours = "4",
                              std::string_view mehrfachTiss = "N", std::string_view ersatzTiss = "N")
{
    return {from, to, minimumHours, mehrfachTiss, ersatzTiss};
}

// A whole year with 0 beds: none of the period and utilisation remarks.
const ClassificationSettings kYear = Period("20230101", "20231231");

// The rows of the scratch table as "QUALIFIER KIS_ID REC_DATE T28_SCORE STUNDEN", sorted.
std::vector<std::string> ScratchRows(Database& db)
{
    auto rows = db.Prepare("SELECT \"QUALIFIER\", \"KIS_ID\", \"REC_DATE\", \"T28_SCORE\", \"STUNDEN\" FROM "
                           "\"Satzart 3 - TISS28 TEMP\" ORDER BY 1, 2, 3, 4, 5");
    std::vector<std::string> result;
    while (rows.Step())
        result.push_back(rows.Text(0) + " " + rows.Text(1) + " " + rows.Text(2) + " " + rows.Text(3) + " " +
                         rows.Text(4));
    return result;
}

// Every schema object of the database: a call must leave none behind.
std::vector<std::string> SchemaObjects(Database& db)
{
    auto rows = db.Prepare("SELECT type || ' ' || name FROM sqlite_master ORDER BY 1");
    std::vector<std::string> result;
    while (rows.Step())
        result.push_back(rows.Text(0));
    return result;
}

TEST(RateDepartmentTest, LevelFactorAndPoints)
{
    struct Case {
        std::string_view name;
        double dgkpPerBed;
        double tissMean;
        std::string_view preClassification;
        std::string_view levelText;
        double dgkpAboveBase;
        double factor;
        int basePoints;
        int points;
    };
    // clang-format off
    const Case cases[] = {
        {"worked example", 1.83, 20.0, "", "Stufe 0", 0.33, 30, 665, 755},
        {"no survey days: TISS level 0, negative factor keeps 635", 1.83, 0.0, "", "Stufe 0", 0.33, 0, 635, 635},
        {"TISS mean at the level 0 base gives 665", 1.83, 17.0, "", "Stufe 0", 0.33, 0, 665, 665},
        {"TISS mean below the level 0 base gives 635", 1.83, 16.9, "", "Stufe 0", 0.33, 0, 635, 635},
        {"staffing is the scarcer side", 1.6, 20.0, "", "Stufe 0", 0.1, 10, 665, 695},
        {"below 1.5 DGKP per bed", 1.49, 40.0, "", "Keine Einstufung möglich", 0, 0, 0, 0},
        {"pre-classified below 1.5 DGKP per bed", 1.49, 40.0, "E1", "Stufe 1", -0.51, 0, 946, 946},
        {"E2 with staffing level 1, high TISS", 2.2, 30.0, "E2", "Stufe 2", -0.3, 0, 1218, 1218},
        {"E2 with staffing level 1, low TISS", 2.2, 20.0, "E2", "Stufe 2", -0.3, 0, 1218, 1218},
        {"E0 below the computed level, capped", 3.5, 40.0, "E0", "Stufe 0", 2.0, 200, 665, 869},
        {"level 3", 4.5, 40.0, "", "Stufe 3", 1.5, 80, 2033, 2449},
        {"level 3, TISS the scarcer side", 5.0, 40.0, "", "Stufe 3", 2.0, 80, 2033, 2449},
        {"level 3, capped", 6.0, 60.0, "", "Stufe 3", 3.0, 280, 2033, 2541},
        {"staffing 2.0 is level 1", 2.0, 40.0, "", "Stufe 1", 0.0, 0, 946, 946},
        {"staffing 2.49 is level 1", 2.49, 40.0, "", "Stufe 1", 0.49, 49, 946, 1113},
        {"staffing 2.5 is level 2", 2.5, 40.0, "", "Stufe 2", 0.0, 0, 1218, 1218},
        {"staffing 3.0 is level 3", 3.0, 40.0, "", "Stufe 3", 0.0, 0, 2033, 2033},
        {"TISS 21.9 is level 0", 3.0, 21.9, "", "Stufe 0", 1.5, 49, 665, 812},
        {"TISS 22.0 is level 1", 3.0, 22.0, "", "Stufe 1", 1.0, 0, 946, 946},
        {"TISS 27.0 is level 2", 3.0, 27.0, "", "Stufe 2", 0.5, 0, 1218, 1218},
        {"TISS 31.9 is level 2", 3.0, 31.9, "", "Stufe 2", 0.5, 49, 1218, 1424},
        {"TISS 32.0 is level 3", 3.0, 32.0, "", "Stufe 3", 0.0, 0, 2033, 2033},
        // 3.0 x 7.5 = 22.5 goes to the even 22.
        {"points round a half to even", 1.83, 17.75, "", "Stufe 0", 0.33, 7.5, 665, 687},
        {"a pre-classification the table lacks is ignored", 1.83, 20.0, "E7", "Stufe 0", 0.33, 30, 665, 755},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClassificationResult result;
        result.DgkpPerBed = c.dgkpPerBed;
        result.TissMean = c.tissMean;
        result.PreClassification = c.preClassification;
        RateDepartment(kYear, result);
        EXPECT_EQ(result.LevelText, FitToWidth(c.levelText, 24));
        EXPECT_DOUBLE_EQ(result.DgkpAboveBase, c.dgkpAboveBase);
        EXPECT_NEAR(result.Factor, c.factor, 1e-9);
        EXPECT_EQ(result.BasePoints, c.basePoints);
        EXPECT_EQ(result.Points, c.points);
    }
}

TEST(RateDepartmentTest, WorkedExampleIntermediateValues)
{
    ClassificationResult result;
    result.DgkpPerBed = 1.83;
    result.TissMean = 20.0;
    RateDepartment(kYear, result);
    EXPECT_EQ(result.TissBase, 17);
    EXPECT_EQ(result.DgkpBase, 1.5);
    EXPECT_EQ(result.PointsPerTenth, 3.0);
    EXPECT_EQ(result.DgkpAboveBase, 0.33);
    EXPECT_EQ(result.TissAboveBase, 3.0);
    EXPECT_EQ(result.Factor, 30.0);
    EXPECT_EQ(result.Points, 755);
    EXPECT_EQ(result.Comment, "");
}

TEST(RateDepartmentTest, RemarksInTheirOrder)
{
    struct Case {
        std::string_view name;
        double dgkpPerBed;
        int beds;
        std::string_view from;
        std::string_view to;
        int childDays;
        int reportedDays;
        std::string comment;
    };
    const std::string staffing = "* DGKP pro systemisiertem Bett < 1,50 *";
    const std::string children = "* TISS-Tage-Anteil von Kindern <16 Jahren ist >5% *";
    const std::string shortPeriod = "* Zeitraum ist <90 Tage *";
    const std::string utilisation = "* Auslastung <35% *";
    // clang-format off
    const Case cases[] = {
        {"none", 2.0, 0, "20230101", "20231231", 0, 100, ""},
        {"staffing, then period", 1.49, 0, "20230101", "20230330", 0, 100, staffing + shortPeriod},
        {"01.01. to 30.03. of a non-leap year is 89 days", 2.0, 0, "20230101", "20230330", 0, 0, shortPeriod},
        {"01.01. to 31.03. is 90 days", 2.0, 0, "20230101", "20230331", 0, 0, ""},
        {"01.01. to 30.03. of a leap year is 90 days", 2.0, 0, "20240101", "20240330", 0, 0, ""},
        {"children at 5% exactly", 2.0, 0, "20230101", "20231231", 1, 20, ""},
        {"children above 5%", 2.0, 0, "20230101", "20231231", 2, 20, children},
        {"children without reported days", 2.0, 0, "20230101", "20231231", 5, 0, ""},
        {"utilisation at 35%", 2.0, 1, "20230101", "20230410", 0, 35, ""},
        {"utilisation below 35%", 2.0, 1, "20230101", "20230410", 0, 34, utilisation},
        {"no utilisation remark without beds", 2.0, 0, "20230101", "20230410", 0, 0, ""},
        {"all four in order", 1.0, 2, "20230101", "20230131", 3, 20,
         staffing + children + shortPeriod + utilisation},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ClassificationResult result;
        result.DgkpPerBed = c.dgkpPerBed;
        result.SystemisedBeds = static_cast<std::int16_t>(c.beds);
        result.ChildDays = c.childDays;
        result.ReportedDays = c.reportedDays;
        RateDepartment(Period(c.from, c.to), result);
        EXPECT_EQ(result.Comment, c.comment);
    }
}

TEST(RateDepartmentTest, AppendsToTheCallersCommentAndStartsEachCallFromTheLevelTable)
{
    ClassificationResult result;
    result.Comment = "vorher";
    result.DgkpPerBed = 1.83;
    result.TissMean = 20.0;
    RateDepartment(kYear, result);
    EXPECT_EQ(result.BasePoints, 665);
    result.TissMean = 10.0;
    RateDepartment(kYear, result);
    EXPECT_EQ(result.BasePoints, 635) << "665 holds for one call only";
    EXPECT_EQ(result.Points, 635);
    EXPECT_EQ(result.Comment, "vorher");
}

TEST(ClassificationInputsTest, FromTheDepartmentRow)
{
    struct Case {
        double dgkp;
        double beds;
        std::string_view preClassification;
        double dgkpCount;
        int systemisedBeds;
        double dgkpPerBed;
    };
    const Case cases[] = {
        {12.5, 10, "", 12.5, 10, 1.25}, {11, 6, "E1", 11, 6, 1.83}, {12.345, 3, "", 12.35, 3, 4.12},
        {4, 0, "", 4, 0, 0.0},          {4, 0.4, "", 4, 0, 0.0},    {2.5, 2, "", 2.5, 2, 1.25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dgkp << " / " << c.beds);
        const ClassificationResult inputs = ClassificationInputs(c.dgkp, c.beds, c.preClassification);
        EXPECT_EQ(inputs.DgkpCount, c.dgkpCount);
        EXPECT_EQ(inputs.SystemisedBeds, c.systemisedBeds);
        EXPECT_EQ(inputs.DgkpPerBed, c.dgkpPerBed);
        EXPECT_EQ(inputs.PreClassification, FitToWidth(c.preClassification, 2));
        EXPECT_EQ(inputs.Comment, "");
    }
}

class ClassifyDepartmentTest : public ::testing::Test {
protected:
    ClassificationResult Classify(const ClassificationSettings& settings)
    {
        ClassificationResult result = ClassificationInputs(4.0, 2, "");
        ClassifyDepartment(db, settings, result);
        return result;
    }

    test::TempDir dir;
    Database db = test::OpenFreshDepartment(dir);
};

TEST_F(ClassifyDepartmentTest, ChildDaysWithinThePeriod)
{
    struct Case {
        std::string_view name;
        std::vector<ClassifiedStay> stays;
        int childDays;
    };
    // clang-format off
    const Case cases[] = {
        {"within the period", {{"202403050800", "202403071000", "99", "10 "}}, 3},
        {"an adult", {{"202403050800", "202403071000", "99", "40 "}}, 0},
        {"15 years", {{"202403050800", "202403071000", "99", "15 "}}, 3},
        {"16 years", {{"202403050800", "202403071000", "99", "16 "}}, 0},
        {"admitted before the period", {{"202402250800", "202403021000", "99", "3  "}}, 2},
        {"discharged after the period", {{"202403300800", "202404051000", "99", "3  "}}, 2},
        {"over the whole period", {{"202402010800", "202405011000", "99", "3  "}}, 31},
        {"ended before the period", {{"202402200800", "202402291000", "99", "3  "}}, 0},
        {"began after the period", {{"202404010800", "202404021000", "99", "3  "}}, 0},
        {"0-day stay below the minimum hours", {{"202403050800", "202403051000", "2 ", "3  "}}, 0},
        {"0-day stay at the minimum hours", {{"202403050800", "202403051200", "4 ", "3  "}}, 1},
        {"any TYP and FLAG", {{"202403050800", "202403061000", "99", "3  ", "A000000001", "", "U"}}, 2},
        {"several stays add up",
         {{"202403050800", "202403061000", "99", "3  ", "A000000001"},
          {"202403100800", "202403121000", "99", "12 ", "A000000002"}}, 5},
        // Such stays have no survey days either; they must not take days off the others.
        {"no discharge date",
         {{"202403050800", "            ", "99", "3  ", "A000000001"},
          {"202403100800", "202403121000", "99", "12 ", "A000000002"}}, 3},
        {"discharged before the admission", {{"202403100800", "202403081000", "99", "3  "}}, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        db.Execute("DELETE FROM \"Gesamt - Patientenadministration\"");
        for (const auto& stay : c.stays)
            AddClassifiedStay(db, stay);
        EXPECT_EQ(Classify(Period("20240301", "20240331")).ChildDays, c.childDays);
    }
}

TEST_F(ClassifyDepartmentTest, SurveyDaysCountsAndMeans)
{
    struct Expected {
        int filledDays;
        int reportedDays;
        int scoreSum;
        double tissMean;
        int days16;
        int sum16;
        double tissMean16;
    };
    struct Case {
        std::string_view name;
        std::vector<ClassifiedDay> days;
        Expected withoutErsatz;
        Expected withErsatz;
    };
    // clang-format off
    const Case cases[] = {
        {"no days", {}, {0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}},
        {"filled days enter the mean only with ErsatzTISS",
         {{"20240301", "020", "E"}, {"20240302", "020"}, {"20240303", "000", "M"}, {"20240304", "030"},
          {"20240305", "030", "L"}},
         {3, 2, 50, 25.0, 2, 50, 25.0}, {3, 5, 100, 20.0, 4, 100, 25.0}},
        {"both ends of the period count",
         {{"20240229", "040"}, {"20240301", "010"}, {"20240331", "020"}, {"20240401", "040"}},
         {0, 2, 30, 15.0, 1, 20, 20.0}, {0, 2, 30, 15.0, 1, 20, 20.0}},
        {"days below the minimum hours are left out",
         {{"20240305", "030", "3", "2 "}, {"20240306", "030", "E", "2 "}, {"20240307", "012", "3", "4 "}},
         {0, 1, 12, 12.0, 0, 0, 0}, {0, 1, 12, 12.0, 0, 0, 0}},
        {"16 is a high score, 15 is not",
         {{"20240305", "015"}, {"20240306", "016"}},
         {0, 2, 31, 15.5, 1, 16, 16.0}, {0, 2, 31, 15.5, 1, 16, 16.0}},
        // 25 / 4 = 6.25
        {"a half of the mean rounds away from zero",
         {{"20240305", "006"}, {"20240306", "006"}, {"20240307", "006"}, {"20240308", "007"}},
         {0, 4, 25, 6.3, 0, 0, 0}, {0, 4, 25, 6.3, 0, 0, 0}},
        {"a mean of two thirds",
         {{"20240305", "020"}, {"20240306", "021"}, {"20240307", "021"}},
         {0, 3, 62, 20.7, 3, 62, 20.7}, {0, 3, 62, 20.7, 3, 62, 20.7}},
    };
    // clang-format on
    for (const auto& c : cases) {
        for (const bool ersatz : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (ersatz ? " (ErsatzTISS J)" : " (ErsatzTISS N)"));
            db.Execute("DELETE FROM \"Satzart 3 - TISS28\"");
            for (const auto& day : c.days)
                AddClassifiedDay(db, day);
            const auto result = Classify(Period("20240301", "20240331", "4", "N", ersatz ? "J" : "N"));
            const Expected& e = ersatz ? c.withErsatz : c.withoutErsatz;
            EXPECT_EQ(result.FilledDays, e.filledDays);
            EXPECT_EQ(result.ReportedDays, e.reportedDays);
            EXPECT_EQ(result.ScoreSum, e.scoreSum);
            EXPECT_EQ(result.TissMean, e.tissMean);
            EXPECT_EQ(result.Days16, e.days16);
            EXPECT_EQ(result.Sum16, e.sum16);
            EXPECT_EQ(result.TissMean16, e.tissMean16);
        }
    }
}

TEST_F(ClassifyDepartmentTest, MehrfachTissCondensesOnePatientsDay)
{
    // The discharge day of one stay is the admission day of the next, both imported, and another
    // patient has a record on that day. On the day before, a filled day and an imported day of one
    // patient differ in kind and stay apart.
    AddClassifiedDay(db, {"20240305", "012", "3", "99", "A000000001", "202403011000"});
    AddClassifiedDay(db, {"20240305", "020", "3", "99", "A000000001", "202403051400"});
    AddClassifiedDay(db, {"20240305", "030", "3", "99", "A000000002", "202403051400"});
    AddClassifiedDay(db, {"20240304", "012", "L", "99", "A000000001", "202403011000"});
    AddClassifiedDay(db, {"20240304", "000", "3", "99", "A000000001", "202403041000"});

    struct Case {
        std::string_view mehrfachTiss;
        int reportedDays;
        int scoreSum;
        std::vector<std::string> scratch;
    };
    const Case cases[] = {
        {"J",
         3,
         50,
         {"3 A000000001 20240304 000 99", "3 A000000001 20240305 020 99", "3 A000000002 20240305 030 99",
          "L A000000001 20240304 012 99"}},
        {"N",
         4,
         62,
         {"3 A000000001 20240304 000 99", "3 A000000001 20240305 012 99", "3 A000000001 20240305 020 99",
          "3 A000000002 20240305 030 99", "L A000000001 20240304 012 99"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mehrfachTiss);
        const auto result = Classify(Period("20240301", "20240331", "4", c.mehrfachTiss, "N"));
        EXPECT_EQ(result.ReportedDays, c.reportedDays);
        EXPECT_EQ(result.ScoreSum, c.scoreSum);
        EXPECT_EQ(result.FilledDays, 1);
        EXPECT_EQ(ScratchRows(db), c.scratch);
    }
}

TEST_F(ClassifyDepartmentTest, MehrfachTissKeepsTheLargestHours)
{
    // Score and hours of the condensed day are each the largest of the group, even when they come
    // from different records: the larger score passes the minimum hours with the other record's hours.
    AddClassifiedDay(db, {"20240305", "020", "3", "2 ", "A000000001", "202403050800"});
    AddClassifiedDay(db, {"20240305", "012", "3", "5 ", "A000000001", "202403051400"});
    EXPECT_EQ(Classify(Period("20240301", "20240331", "4", "J", "N")).ScoreSum, 20);
    EXPECT_EQ(Classify(Period("20240301", "20240331", "4", "N", "N")).ScoreSum, 12);
    EXPECT_EQ(ScratchRows(db).size(), 2u);
}

TEST_F(ClassifyDepartmentTest, RefillsTheScratchTableAndLeavesNothingElse)
{
    AddClassifiedDay(db, {"20240305", "012"});
    // Rows of an earlier or interrupted run.
    db.Execute("INSERT INTO \"Satzart 3 - TISS28 TEMP\" VALUES ('3', 'X000000001', '19600101', '20240306', '077', "
               "'99'), ('3', 'X000000001', '19600101', '20240307', '077', '99')");
    const auto objects = SchemaObjects(db);

    const auto result = Classify(Period("20240301", "20240331"));
    EXPECT_EQ(result.ReportedDays, 1);
    EXPECT_EQ(result.ScoreSum, 12);
    EXPECT_EQ(ScratchRows(db), std::vector<std::string>{"3 A000000001 20240305 012 99"});
    EXPECT_EQ(SchemaObjects(db), objects);

    Classify(Period("20240301", "20240331"));
    EXPECT_EQ(CountRows(db, kTissTempTable), 1) << "refilled, not added to";
}

TEST_F(ClassifyDepartmentTest, AFailureLeavesResultAndScratchTableAsTheyWere)
{
    db.Execute("INSERT INTO \"Satzart 3 - TISS28 TEMP\" VALUES ('3', 'X000000001', '19600101', '20240306', '077', "
               "'99')");
    db.Execute("DROP TABLE \"Satzart 3 - TISS28\"");
    ClassificationResult result = ClassificationInputs(4.0, 2, "");
    result.Comment = "vorher";
    result.FilledDays = 7;
    EXPECT_THROW(ClassifyDepartment(db, Period("20240301", "20240331"), result), StorageError);
    EXPECT_EQ(result.Comment, "vorher");
    EXPECT_EQ(result.FilledDays, 7);
    EXPECT_EQ(result.LevelText, FitToWidth("", 24));
    EXPECT_EQ(CountRows(db, kTissTempTable), 1);
}

TEST_F(ClassifyDepartmentTest, WorkedExampleFromTheDatabase)
{
    // 11 DGKP on 6 beds are 1.83 per bed; ten days with a mean of 20.0.
    for (int day = 1; day <= 10; ++day) {
        const std::string recDate = "202403" + std::string(day < 10 ? "0" : "") + std::to_string(day);
        AddClassifiedDay(db, {recDate, day % 2 ? "015" : "025"});
    }
    ClassificationResult result = ClassificationInputs(11, 6, "");
    ClassifyDepartment(db, Period("20240101", "20241231"), result);
    EXPECT_EQ(result.DgkpPerBed, 1.83);
    EXPECT_EQ(result.TissMean, 20.0);
    EXPECT_EQ(result.TissMean16, 25.0);
    EXPECT_EQ(result.LevelText, FitToWidth("Stufe 0", 24));
    EXPECT_EQ(result.Factor, 30.0);
    EXPECT_EQ(result.Points, 755);
    EXPECT_EQ(result.Comment, "* Auslastung <35% *");
}

TEST(ClassificationEndToEndTest, ImportedDepartment)
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

    std::string databaseFile;
    ClassificationResult inputs;
    {
        Database admin(DataFilePath(settings.SystemDataPath, kAdminDatabaseFile));
        admin.Execute("UPDATE \"Dateiverwaltung\" SET \"DGKP\" = 4.6, \"SBETT\" = 2");
        auto row =
            admin.Prepare("SELECT \"MDB_DATEI\", \"DGKP\", \"SBETT\", \"VOREINSTUFUNG\" FROM \"Dateiverwaltung\"");
        ASSERT_TRUE(row.Step());
        databaseFile = std::string(TrimBlanks(row.Text(0)));
        inputs = ClassificationInputs(row.Double(1), row.Double(2), row.Text(3));
    }

    // One adult stay with a missing day, a child of two days, a 0-day stay of two hours (below the
    // six minimum hours) and an adult of two days; imported days score 30 (adults) and 6 (child).
    struct Case {
        std::string_view ersatzTiss;
        int reportedDays;
        int scoreSum;
        double tissMean;
        std::string_view levelText;
        int points;
    };
    const Case cases[] = {
        {"N", 8, 192, 24.0, "Stufe 1", 1014},
        {"J", 9, 192, 21.3, "Stufe 0", 794},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ersatzTiss);
        settings.ErsatzTISS = c.ersatzTiss;
        ClassificationResult result = inputs;
        Database department(DataFilePath(settings.SystemDataPath, databaseFile));
        ClassifyDepartment(department, ClassificationSettingsOf(settings), result);
        EXPECT_EQ(result.DgkpPerBed, 2.3);
        EXPECT_EQ(result.ChildDays, 2);
        EXPECT_EQ(result.FilledDays, 1);
        EXPECT_EQ(result.ReportedDays, c.reportedDays);
        EXPECT_EQ(result.ScoreSum, c.scoreSum);
        EXPECT_EQ(result.TissMean, c.tissMean);
        EXPECT_EQ(result.Days16, 6);
        EXPECT_EQ(result.TissMean16, 30.0);
        EXPECT_EQ(result.LevelText, FitToWidth(c.levelText, 24));
        EXPECT_EQ(result.Points, c.points);
        EXPECT_EQ(result.Comment, "* TISS-Tage-Anteil von Kindern <16 Jahren ist >5% ** Auslastung <35% *");
    }
}

}  // namespace
}  // namespace kalmora
