#include "scoring/Classification.h"

#include "foundation/Conversions.h"
#include "foundation/Rounding.h"
#include "foundation/Settings.h"
#include "foundation/Val.h"
#include "storage/Database.h"
#include "storage/Schema.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace kalmora {

namespace {

constexpr std::size_t kDayWidth = 8;
constexpr double kChildAge = 16;
constexpr double kHighScore = 16;
constexpr double kChildShareLimit = 0.05;
constexpr int kShortPeriodDays = 90;
constexpr double kUtilisationLimit = 0.35;
constexpr std::int16_t kLevelZeroBasePointsWithoutDeficit = 665;

constexpr std::string_view kRemarkStaffing = "* DGKP pro systemisiertem Bett < 1,50 *";
constexpr std::string_view kRemarkChildren = "* TISS-Tage-Anteil von Kindern <16 Jahren ist >5% *";
constexpr std::string_view kRemarkShortPeriod = "* Zeitraum ist <90 Tage *";
constexpr std::string_view kRemarkUtilisation = "* Auslastung <35% *";

// A minimum that any value reaches, also one that is not a number: the lowest level of its side.
constexpr double kAnyValue = -std::numeric_limits<double>::infinity();
// A minimum that no value reaches: the TISS-28 mean alone never rules out a classification.
constexpr double kNoValue = std::numeric_limits<double>::infinity();

struct LevelRow {
    int Level;
    std::string_view Text;
    double MinDgkpPerBed;  // the staffing that reaches the level
    double MinTissMean;    // the TISS-28 mean that reaches the level
    std::int16_t TissBase;
    std::int16_t BasePoints;
    double PointsPerTenth;
    double DgkpBase;
    std::int16_t MaxPoints;
};

// In ascending order of the levels. The TISS base of level 0 is 17, below the minimum of 22 that
// separates it from level 1.
constexpr std::array<LevelRow, 5> kLevels{{
    {kNoLevel, "Keine Einstufung möglich", kAnyValue, kNoValue, 0, 0, 0.0, 0.0, 0},
    {0, "Stufe 0", 1.5, kAnyValue, 17, 635, 3.0, 1.5, 869},
    {1, "Stufe 1", 2.0, 22, 22, 946, 3.4, 2.0, 1157},
    {2, "Stufe 2", 2.5, 27, 27, 1218, 4.2, 2.5, 1439},
    {3, "Stufe 3", 3.0, 32, 32, 2033, 5.2, 3.0, 2541},
}};

const LevelRow& LevelRowOf(int level)
{
    for (const auto& row : kLevels) {
        if (row.Level == level) return row;
    }
    return kLevels.front();
}

// The highest level whose minimum in the given column `value` reaches.
int LevelReached(double value, double LevelRow::*minimum)
{
    for (auto row = kLevels.rbegin(); row != kLevels.rend(); ++row) {
        if ((*row).*minimum == kAnyValue || value >= (*row).*minimum) return row->Level;
    }
    return kNoLevel;
}

// The level that a pre-classification "E0" to "E3" fixes; none for a blank one. The department
// base data only ever store these, so anything else is taken as no pre-classification rather than
// as a level the table does not have.
std::optional<int> PreClassifiedLevel(const FixedText<2>& preClassification)
{
    if (preClassification.Trimmed().empty()) return std::nullopt;
    const char digit = preClassification.str()[1];
    if (digit < '0' || digit > '3') return std::nullopt;
    return digit - '0';
}

// Day counts and score sums come from three-digit scores, so only a database edited by hand could
// leave the range; such a sum is held at its bound rather than wrapped.
std::int32_t ToInt32(double value)
{
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value)) return 0;
    if (value < low) return std::numeric_limits<std::int32_t>::min();
    if (value > high) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(RoundHalfToEven(value));
}

double DayNumber(std::string_view text)
{
    return Val(LeftCharacters(text, kDayWidth));
}

std::int32_t CountChildDays(Database& db, const ClassificationSettings& settings)
{
    const double from = Val(settings.Erhebungvon);
    const double to = Val(settings.Erhebungbis);
    const double minimumHours = Val(settings.MindestStd);
    auto stays =
        db.Prepare("SELECT \"ADM_DATE\", \"DIS_DATE\", \"STUNDEN\", \"Alter\" FROM " + QuoteIdentifier(kStaysTable));
    std::int64_t childDays = 0;
    while (stays.Step()) {
        const std::string admission = stays.Text(0);
        const std::string discharge = stays.Text(1);
        const double a = DayNumber(admission);
        const double d = DayNumber(discharge);
        if (a < from && d < from) continue;
        if (a > to && d > to) continue;
        if (Val(stays.Text(2)) < minimumHours) continue;
        if (Val(stays.Text(3)) >= kChildAge) continue;
        const std::string_view firstDay =
            a >= from ? LeftCharacters(admission, kDayWidth) : std::string_view(settings.Erhebungvon);
        const std::string_view lastDay =
            d <= to ? LeftCharacters(discharge, kDayWidth) : std::string_view(settings.Erhebungbis);
        // A stay without a discharge date, or discharged before its admission, has no days: it must
        // not take days off the other children's.
        const int days = DaysBetween(firstDay, lastDay) + 1;
        if (days > 0) childDays += days;
    }
    return ToInt32(static_cast<double>(childDays));
}

void RefillScratchTable(Database& db, const ClassificationSettings& settings)
{
    const std::string temp = QuoteIdentifier(kTissTempTable);
    const std::string tiss = QuoteIdentifier(kTissTable);
    db.Prepare("DELETE FROM " + temp).Execute();
    // With MehrfachTISS one row per qualifier, patient and day keeps the largest score and hours: the
    // scores are zero-padded texts, so the largest text is the largest score. The group has no
    // admission date, so two stays of one patient that share a day condense as well.
    const std::string columns = " (\"QUALIFIER\", \"KIS_ID\", \"DOB\", \"REC_DATE\", \"T28_SCORE\", \"STUNDEN\") ";
    if (IsSet(settings.MehrfachTISS)) {
        db.Prepare("INSERT INTO " + temp + columns +
                   "SELECT \"QUALIFIER\", \"KIS_ID\", \"DOB\", \"REC_DATE\", max(\"T28_SCORE\"), max(\"STUNDEN\") "
                   "FROM " +
                   tiss + " GROUP BY \"QUALIFIER\", \"KIS_ID\", \"DOB\", \"REC_DATE\"")
            .Execute();
    } else {
        db.Prepare("INSERT INTO " + temp + columns +
                   "SELECT \"QUALIFIER\", \"KIS_ID\", \"DOB\", \"REC_DATE\", \"T28_SCORE\", \"STUNDEN\" FROM " + tiss)
            .Execute();
    }
}

// The days of the period whose hours reach the minimum, as the mean sees them.
std::string PeriodCondition()
{
    return " WHERE Val(\"REC_DATE\") >= Val(?1) AND Val(\"REC_DATE\") <= Val(?2) AND Val(\"STUNDEN\") >= Val(?3)";
}

std::int32_t CountFilledDays(Database& db, const ClassificationSettings& settings)
{
    auto query = db.Prepare("SELECT count(\"T28_SCORE\") FROM " + QuoteIdentifier(kTissTempTable) + PeriodCondition() +
                            " AND \"QUALIFIER\" <> '3'");
    query.BindAll(settings.Erhebungvon.str(), settings.Erhebungbis.str(), settings.MindestStd.str());
    return query.Step() ? ToInt32(query.Double(0)) : 0;
}

struct DaysAndMean {
    std::int32_t Days = 0;
    std::int32_t Sum = 0;
    double Mean = 0.0;
};

// Days, score sum and mean of the days that enter the mean: all days with ErsatzTISS, else only the
// imported ones; `highScoresOnly` keeps the days with a score of at least 16.
DaysAndMean SumDays(Database& db, const ClassificationSettings& settings, bool highScoresOnly)
{
    std::string sql = "SELECT sum(Val(\"T28_SCORE\")), count(\"T28_SCORE\") FROM " + QuoteIdentifier(kTissTempTable) +
                      PeriodCondition();
    if (highScoresOnly) sql += " AND Val(\"T28_SCORE\") >= ?4";
    if (!IsSet(settings.ErsatzTISS)) sql += " AND \"QUALIFIER\" = '3'";
    auto query = db.Prepare(sql);
    query.BindAll(settings.Erhebungvon.str(), settings.Erhebungbis.str(), settings.MindestStd.str());
    if (highScoresOnly) query.Bind(4, kHighScore);
    DaysAndMean result;
    if (!query.Step()) return result;
    result.Days = ToInt32(query.Double(1));
    if (result.Days == 0) return result;
    result.Sum = ToInt32(query.Double(0));
    result.Mean = RoundHalfAwayFromZero(static_cast<double>(result.Sum) / result.Days, 1);
    return result;
}

}  // namespace

ClassificationSettings ClassificationSettingsOf(const Settings& settings)
{
    return {settings.Erhebungvon, settings.Erhebungbis, settings.MindestStd, settings.MehrfachTISS,
            settings.ErsatzTISS};
}

ClassificationResult ClassificationInputs(double dgkp, double systemisedBeds, std::string_view preClassification)
{
    ClassificationResult inputs;
    inputs.DgkpCount = RoundHalfAwayFromZero(dgkp, 2);
    const double beds = RoundHalfAwayFromZero(systemisedBeds, 0);
    inputs.SystemisedBeds = static_cast<std::int16_t>(std::clamp(beds, double{std::numeric_limits<std::int16_t>::min()},
                                                                 double{std::numeric_limits<std::int16_t>::max()}));
    inputs.DgkpPerBed =
        inputs.SystemisedBeds < 1 ? 0.0 : RoundHalfAwayFromZero(inputs.DgkpCount / inputs.SystemisedBeds, 2);
    inputs.PreClassification = preClassification;
    return inputs;
}

void ClassifyDepartment(Database& department, const ClassificationSettings& settings, ClassificationResult& result)
{
    ClassificationResult work = result;
    {
        // One transaction: the counts see one state of the department, and a failure leaves the
        // scratch table as it was.
        Transaction transaction(department);
        work.ChildDays = CountChildDays(department, settings);
        RefillScratchTable(department, settings);
        work.FilledDays = CountFilledDays(department, settings);
        const DaysAndMean all = SumDays(department, settings, false);
        work.ReportedDays = all.Days;
        work.ScoreSum = all.Sum;
        work.TissMean = all.Mean;
        const DaysAndMean high = SumDays(department, settings, true);
        work.Days16 = high.Days;
        work.Sum16 = high.Sum;
        work.TissMean16 = high.Mean;
        transaction.Commit();
    }
    RateDepartment(settings, work);
    result = std::move(work);
}

void RateDepartment(const ClassificationSettings& settings, ClassificationResult& result)
{
    int level = std::min(LevelReached(result.DgkpPerBed, &LevelRow::MinDgkpPerBed),
                         LevelReached(result.TissMean, &LevelRow::MinTissMean));
    // A pre-classification replaces both computed levels, even below the staffing minimum.
    if (const auto preClassified = PreClassifiedLevel(result.PreClassification)) level = *preClassified;

    const LevelRow& row = LevelRowOf(level);
    result.Level = row.Level;
    result.LevelText = row.Text;
    result.TissBase = row.TissBase;
    result.BasePoints = row.BasePoints;
    result.PointsPerTenth = row.PointsPerTenth;
    result.DgkpBase = row.DgkpBase;
    result.MaxPoints = row.MaxPoints;

    if (level == kNoLevel) {
        result.Comment += kRemarkStaffing;
        result.DgkpAboveBase = 0.0;
        result.TissAboveBase = 0.0;
        result.Factor = 0.0;
        result.Points = 0;
    } else {
        result.DgkpAboveBase = RoundHalfAwayFromZero(result.DgkpPerBed - result.DgkpBase, 2);
        result.TissAboveBase = result.TissMean - result.TissBase;
        // 0.1 TISS-28 points weigh as much as 0.01 DGKP per bed; the scarcer side sets the factor.
        result.Factor =
            result.TissAboveBase / 10 > result.DgkpAboveBase ? result.DgkpAboveBase * 100 : result.TissAboveBase * 10;
        // Level 0 starts higher when neither side falls short of its base.
        if (result.Factor >= 0 && level == 0) result.BasePoints = kLevelZeroBasePointsWithoutDeficit;
        if (result.Factor < 0) result.Factor = 0.0;
        // Capped before it is narrowed, so that no mean can overflow the points.
        const double points = result.BasePoints + RoundHalfToEven(result.PointsPerTenth * result.Factor);
        result.Points = static_cast<std::int16_t>(std::min(points, static_cast<double>(result.MaxPoints)));
    }

    if (result.ReportedDays > 0 && static_cast<double>(result.ChildDays) / result.ReportedDays > kChildShareLimit)
        result.Comment += kRemarkChildren;
    const double periodDays = DaysBetween(settings.Erhebungvon, settings.Erhebungbis) + 1.0;
    if (periodDays < kShortPeriodDays) result.Comment += kRemarkShortPeriod;
    const double bedDays = periodDays * result.SystemisedBeds;
    if (bedDays > 0 && result.ReportedDays / bedDays < kUtilisationLimit) result.Comment += kRemarkUtilisation;
}

}  // namespace kalmora
