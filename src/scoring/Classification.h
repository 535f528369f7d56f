#pragma once

#include "foundation/FixedText.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kalmora {

class Database;
struct Settings;

// The five classification settings: the survey period (JJJJMMTT, both days included), the minimum
// hours of 0-day patients, and the two "J"/"N" options for several records of one day and for
// filled-in days.
struct ClassificationSettings {
    FixedText<8> Erhebungvon;
    FixedText<8> Erhebungbis;
    FixedText<2> MindestStd;
    FixedText<1> MehrfachTISS;
    FixedText<1> ErsatzTISS;
};

ClassificationSettings ClassificationSettingsOf(const Settings& settings);

inline constexpr int kNoLevel = -1;

// Inputs and results of the classification of one department. The inputs come from the
// department's row in "Dateiverwaltung" (see ClassificationInputs); ClassifyDepartment fills the
// results and appends its remarks to Comment.
struct ClassificationResult {
    // Inputs.
    double DgkpCount = 0.0;
    std::int16_t SystemisedBeds = 0;
    double DgkpPerBed = 0.0;  // already rounded to two decimals; 0 below one bed
    FixedText<2> PreClassification;
    std::string Comment;

    // Results.
    std::int32_t ChildDays = 0;
    std::int32_t FilledDays = 0;
    std::int32_t ReportedDays = 0;
    std::int32_t ScoreSum = 0;
    double TissMean = 0.0;
    std::int32_t Days16 = 0;
    std::int32_t Sum16 = 0;
    double TissMean16 = 0.0;
    int Level = kNoLevel;
    FixedText<24> LevelText;
    std::int16_t TissBase = 0;
    std::int16_t BasePoints = 0;
    double PointsPerTenth = 0.0;
    double DgkpBase = 0.0;
    std::int16_t MaxPoints = 0;
    double DgkpAboveBase = 0.0;
    double TissAboveBase = 0.0;
    double Factor = 0.0;
    std::int16_t Points = 0;
};

// The inputs from a department's row in "Dateiverwaltung" (DGKP, SBETT, VOREINSTUFUNG), read as the
// department list shows them: DGKP to two decimals, the beds as a whole number, and DGKP per bed
// rounded to two decimals (0 below one bed). Comment is empty.
ClassificationResult ClassificationInputs(double dgkp, double systemisedBeds, std::string_view preClassification);

// Classifies one department from its open database: counts child days and survey days of the
// period, refills the scratch table "Satzart 3 - TISS28 TEMP", and rates the department (see
// RateDepartment). Reads the inputs of `result`, writes its results and appends remarks to its
// Comment. A failure throws StorageError, rolls the scratch table back and leaves `result` as it was.
void ClassifyDepartment(Database& department, const ClassificationSettings& settings, ClassificationResult& result);

// The rating part of the classification, from the inputs and the day counts and means of `result`:
// level, bases, factor, points (capped to the level's maximum) and the remarks on staffing, children,
// period length and utilisation, appended to Comment in that order.
void RateDepartment(const ClassificationSettings& settings, ClassificationResult& result);

}  // namespace kalmora
