#pragma once

#include "storage/Database.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

// The fields of a stay row that the filled-in survey days copy.
struct StayForDays {
    std::string KaId;
    std::string IcuFunId;
    std::string IcuFunSid;
    std::string KisId;
    std::string Dob;
    std::string AdmDate;
    std::string DisDate;
};

// QUALIFIER of filled-in survey days: admission day, day in between, discharge day.
inline constexpr std::string_view kImportedDay = "3";
inline constexpr std::string_view kFilledAdmissionDay = "E";
inline constexpr std::string_view kFilledMiddleDay = "M";
inline constexpr std::string_view kFilledDischargeDay = "L";

// Gives a day of a stay its row in "Satzart 3 - TISS28" when it has none: the admission day takes the
// next day's score, the discharge day the previous day's, a day in between "000". Imported or
// earlier rows are never changed. Keeps its statements prepared for the many calls of an import.
class TissDayPreparer {
public:
    explicit TissDayPreparer(Database& database);

    // `day`: its first eight characters after trimming are the day JJJJMMTT. Call for the days of a
    // stay in ascending order, so a discharge day finds its previous day's row.
    void PrepareTissDays(const StayForDays& stay, std::string_view day);

    // The same for all `days` of one stay (ascending), reading the stay's rows once instead of
    // seeking every day: the import calls this for every day of every stay.
    void PrepareStayDays(const StayForDays& stay, const std::vector<std::string>& days);

private:
    // Kind and score of a filled-in row for `date`; `scoreOf` finds an existing row's score.
    template <typename ScoreOf>
    static std::pair<std::string_view, std::string> FilledRow(const StayForDays& stay, const std::string& date,
                                                              ScoreOf scoreOf);
    void AddDay(const StayForDays& stay, const std::string& date, std::string_view kind, const std::string& score);

    // The T28_SCORE of the stay's row for the day, or nothing when the day has no row.
    std::optional<std::string> ScoreOfDay(const StayForDays& stay, std::string_view day);

    Statement m_findDay;
    Statement m_addDay;
    Statement m_daysOfStay;
};

}  // namespace kalmora
