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

std::string_view FirstDay(std::string_view text)
{
    return LeftCharacters(text, kDayWidth);
}

}  // namespace

TissDayPreparer::TissDayPreparer(Database& database)
    : m_findDay(database.Prepare(FindDaySql())), m_addDay(database.Prepare(AddDaySql()))
{}

void TissDayPreparer::PrepareTissDays(const StayForDays& stay, std::string_view day)
{
    const std::string date(FirstDay(TrimBlanks(day)));
    if (ScoreOfDay(stay, date)) return;  // imported or prepared earlier: never changed

    std::string_view kind;
    std::string score(kNoScore);
    if (date == FirstDay(stay.AdmDate)) {
        // Checked first, so a stay that ends on its admission day gets an admission row.
        kind = kFilledAdmissionDay;
        if (auto next = ScoreOfDay(stay, NextDayCompact(FormatCompactDate(date, kDayWidth)))) score = *next;
    } else if (date != FirstDay(stay.DisDate)) {
        kind = kFilledMiddleDay;
    } else {
        kind = kFilledDischargeDay;
        if (auto previous = ScoreOfDay(stay, PreviousDayCompact(FormatCompactDate(date, kDayWidth)))) {
            score = *previous;
        }
    }

    // One insert with the final kind and score leaves the same row as adding and then completing it.
    ResetOnExit reset(m_addDay);
    m_addDay
        .BindAll(stay.KaId, stay.IcuFunId, stay.IcuFunSid, stay.KisId, stay.Dob, stay.AdmDate, date, kind,
                 FitToWidth(score, kScoreWidth))
        .Execute();
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
