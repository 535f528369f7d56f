#include "scoring/TissDayPreparation.h"

#include "foundation/Conversions.h"
#include "foundation/FixedText.h"
#include "storage/Schema.h"

#include <string>

namespace kalmora {

namespace {

constexpr std::size_t kDayWidth = 8;
constexpr std::size_t kScoreWidth = 3;
constexpr std::string_view kNoScore = "000";

// Resets a statement however its use ends, so that no half-read statement keeps the read lock that
// would stop the import's later writes to the file.
class ResetOnExit {
public:
    explicit ResetOnExit(Statement& statement) : m_statement(statement) {}
    ~ResetOnExit() { m_statement.Reset(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    Statement& m_statement;
};

std::string FindDaySql()
{
    return "SELECT \"T28_SCORE\" FROM " + QuoteIdentifier(kTissTable) +
           " WHERE \"KIS_ID\" = ? AND \"DOB\" = ? AND \"ADM_DATE\" = ? AND \"REC_DATE\" = ?";
}

std::string AddDaySql()
{
    return "INSERT INTO " + QuoteIdentifier(kTissTable) +
           " (\"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\", \"KIS_ID\", \"DOB\", \"ADM_DATE\", \"REC_DATE\", "
           "\"QUALIFIER\", \"T28_SCORE\") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
}

std::string DaysOfStaySql()
{
    return "SELECT \"REC_DATE\", \"T28_SCORE\" FROM " + QuoteIdentifier(kTissTable) +
           " WHERE \"KIS_ID\" = ? AND \"DOB\" = ? AND \"ADM_DATE\" = ?";
}

std::string_view FirstDay(std::string_view text)
{
    return LeftCharacters(text, kDayWidth);
}

}  // namespace

TissDayPreparer::TissDayPreparer(Database& database)
    : m_findDay(database.Prepare(FindDaySql())),
      m_addDay(database.Prepare(AddDaySql())),
      m_daysOfStay(database.Prepare(DaysOfStaySql()))
{}

template <typename ScoreOf>
std::pair<std::string_view, std::string> TissDayPreparer::FilledRow(const StayForDays& stay, const std::string& date,
                                                                    ScoreOf scoreOf)
{
    // The admission day is checked first, so a stay that ends on its admission day gets an admission row.
    if (date == FirstDay(stay.AdmDate)) {
        auto next = scoreOf(NextDayCompact(FormatCompactDate(date, kDayWidth)));
        return {kFilledAdmissionDay, next ? *next : std::string(kNoScore)};
    }
    if (date != FirstDay(stay.DisDate)) return {kFilledMiddleDay, std::string(kNoScore)};
    auto previous = scoreOf(PreviousDayCompact(FormatCompactDate(date, kDayWidth)));
    return {kFilledDischargeDay, previous ? *previous : std::string(kNoScore)};
}

void TissDayPreparer::AddDay(const StayForDays& stay, const std::string& date, std::string_view kind,
                             const std::string& score)
{
    // One insert with the final kind and score leaves the same row as adding and then completing it.
    ResetOnExit reset(m_addDay);
    m_addDay
        .BindAll(stay.KaId, stay.IcuFunId, stay.IcuFunSid, stay.KisId, stay.Dob, stay.AdmDate, date, kind,
                 FitToWidth(score, kScoreWidth))
        .Execute();
}

void TissDayPreparer::PrepareStayDays(const StayForDays& stay, const std::vector<std::string>& days)
{
    std::map<std::string, std::string, std::less<>> scores;
    {
        ResetOnExit reset(m_daysOfStay);
        m_daysOfStay.BindAll(stay.KisId, stay.Dob, stay.AdmDate);
        while (m_daysOfStay.Step()) scores.emplace(m_daysOfStay.Text(0), m_daysOfStay.Text(1));
    }
    auto scoreOf = [&scores](const std::string& day) -> std::optional<std::string> {
        const auto found = scores.find(day);
        if (found == scores.end()) return std::nullopt;
        return found->second;
    };
    for (const auto& day : days) {
        const std::string date(FirstDay(TrimBlanks(day)));
        if (scores.contains(date)) continue;
        const auto [kind, score] = FilledRow(stay, date, scoreOf);
        AddDay(stay, date, kind, score);
        scores.emplace(date, FitToWidth(score, kScoreWidth));
    }
}

void TissDayPreparer::PrepareTissDays(const StayForDays& stay, std::string_view day)
{
    const std::string date(FirstDay(TrimBlanks(day)));
    if (ScoreOfDay(stay, date)) return;  // imported or prepared earlier: never changed
    const auto [kind, score] = FilledRow(stay, date, [&](const std::string& other) { return ScoreOfDay(stay, other); });
    AddDay(stay, date, kind, score);
}

std::optional<std::string> TissDayPreparer::ScoreOfDay(const StayForDays& stay, std::string_view day)
{
    ResetOnExit reset(m_findDay);
    m_findDay.BindAll(stay.KisId, stay.Dob, stay.AdmDate, day);
    if (!m_findDay.Step()) return std::nullopt;
    // A day without a score reads as blank text, which the copy pads to three blanks.
    return m_findDay.Text(0);
}

}  // namespace kalmora
