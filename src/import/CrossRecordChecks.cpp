#include "import/CrossRecordChecks.h"

#include "foundation/Conversions.h"
#include "foundation/FixedText.h"
#include "foundation/Val.h"
#include "foundation/Windows1252.h"
#include "import/FieldChecks.h"
#include "import/ImportProtocol.h"
#include "scoring/TissDayPreparation.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/StayFlags.h"

#include <array>
#include <optional>
#include <vector>

namespace kalmora {

namespace {

// Stays are visited in key order in batches, so memory does not grow with the file and no read
// is pending on the table while its rows are changed.
constexpr int kBatchSize = 512;

std::string StaysAfterSql()
{
    return "SELECT rowid, \"FLAG\", \"TYP\", \"Alter\", \"Satzart_1\", \"Satzart_3\", \"BD\", \"KIS_ID\", \"DOB\", "
           "\"ADM_DATE\", \"DIS_DATE\", \"KA_ID\", \"ICU_FUN_ID\", \"ICU_FUN_SID\" FROM " +
           QuoteIdentifier(kStaysTable) +
           " WHERE (\"KIS_ID\", \"DOB\", \"ADM_DATE\") > (?, ?, ?) ORDER BY \"KIS_ID\", \"DOB\", \"ADM_DATE\" LIMIT ?";
}

std::string SetFlagSql()
{
    return "UPDATE " + QuoteIdentifier(kStaysTable) + " SET \"FLAG\" = ? WHERE rowid = ?";
}

// The survey days of a stay from admission to discharge, in day order: one query per stay.
std::string SurveyDayItemsSql()
{
    return "SELECT \"T28_S_MED\", \"T28_M_MED\", \"T28_SUPP_VENT\", \"T28_MECH_VENT\", \"T28_S_VASODR\", "
           "\"T28_M_VASODR\", \"T28_S_INT\", \"T28_M_INT\", \"T28_STAND_MON\", \"REC_DATE\" FROM " +
           QuoteIdentifier(kTissTable) +
           " WHERE \"KIS_ID\" = ? AND \"DOB\" = ? AND \"ADM_DATE\" = ? AND \"REC_DATE\" >= ? AND \"REC_DATE\" <= ? "
           "ORDER BY \"REC_DATE\"";
}
constexpr int kRecDateColumn = 9;

struct StayRow {
    std::int64_t RowId = 0;
    std::string Flag;
    std::string Typ;
    std::string Alter;
    std::int64_t Satzart1 = 0;
    std::int64_t Satzart3 = 0;
    std::string Bd;
    StayForDays Stay;
};

// An item rule fires when both items hold "1"; a never written item (NULL) fires nothing.
struct PairRule {
    int First;
    int Second;
    std::string_view Text;
};

constexpr std::array kPairRules{
    PairRule{0, 1, "Unplausible Kombination einmalige und mehrfache Medikation am "},
    PairRule{2, 3, "Unplausible Kombination Atemunterstützung und mechanische Beatmung am "},
    PairRule{4, 5, "Unplausible Kombination einmalige und mehrfache vasoaktive Medikation am "},
    PairRule{6, 7, "Unplausible Kombination einfache und mehrfache Intervention am "},
};
constexpr int kStandardMonitoring = 8;

class StayChecker {
public:
    StayChecker(Database& workingCopy, ImportProtocol& protocol, const std::string& hospital,
                const std::string& department)
        : m_protocol(protocol), m_hospital(hospital), m_department(department), m_setFlag(workingCopy, SetFlagSql()),
          m_surveyDay(workingCopy, SurveyDayItemsSql()), m_days(workingCopy)
    {}

    void Check(StayRow& stay, CrossRecordTotals& totals)
    {
        if (!IsEarlierStay(stay.Flag)) {
            if (stay.Typ == "INT") {
                ApplyStayRules(stay, totals);
            } else {
                Report(stay, kSeverityError, ' ', " ", "Datensatzaufbau entspricht nicht der Verordnung",
                       kStayRejected);
            }
        }
        if (stay.Flag == kStayRejected) {
            ++totals.RejectedCount;
            totals.HasMessages = true;
        } else if (stay.Flag == kStayWithWarnings) {
            totals.HasMessages = true;
        } else if (IsEarlierStay(stay.Flag)) {
            ++totals.EarlierCount;
        }
    }

private:
    void ApplyStayRules(StayRow& stay, CrossRecordTotals& totals)
    {
        const std::string_view departmentType = std::string_view(m_department).substr(2, 2);
        // A blank age comes from an invalid birth or admission date, which rejects the stay anyway.
        if ((departmentType == "51" || departmentType == "27") && !IsBlank(stay.Alter) && Val(stay.Alter) < 16) {
            Report(stay, kSeverityError, ' ', " ", "Ausgewählter Patiententyp für angegebenes Alter ungültig",
                   kStayRejected);
        }
        if (stay.Satzart1 == 0 || stay.Satzart3 == 0) {
            Report(stay, kSeverityError, ' ', "Datensatz", "Satzarten 1 und 3 obligatorisch", kStayRejected);
        }
        if (stay.Flag != kStayRejected) {
            if (!IsBlank(stay.Bd) && static_cast<double>(stay.Satzart3) != Val(stay.Bd) + 1) {
                const std::string comment = std::to_string(stay.Satzart3) + " TISS28-Tage vs. " +
                                            std::to_string(static_cast<long long>(Val(stay.Bd) + 1)) + " Pflegetage";
                Report(stay, kSeverityWarning, '3', "TISS28", comment, kStayWithWarnings);
            }
            const std::vector<std::string> days = DaysOfStay(stay.Stay);
            m_days.PrepareStayDays(stay.Stay, days);
            if (!days.empty()) CheckSurveyDays(stay, days);
        }
        totals.AcceptedRecordCount += static_cast<std::int32_t>(stay.Satzart1 + stay.Satzart3);
    }

    // The calendar days from admission to discharge, both included.
    static std::vector<std::string> DaysOfStay(const StayForDays& stay)
    {
        std::vector<std::string> days;
        std::string day(LeftCharacters(stay.AdmDate, 8));
        if (ValidateCompactDate(day) != kDateValid) return days;
        const double discharge = Val(LeftCharacters(stay.DisDate, 8));
        while (discharge >= Val(day)) {
            days.push_back(day);
            std::string next = NextDayCompact(FormatCompactDate(day, 8));
            if (Val(next) <= Val(day)) break;  // a date that does not advance would never end
            day = std::move(next);
        }
        return days;
    }

    // Applies the item rules to the survey day rows of the stay's days, in day order.
    void CheckSurveyDays(StayRow& stay, const std::vector<std::string>& days)
    {
        struct DayItems {
            std::string Day;
            std::array<std::optional<std::string>, 9> Items;
        };
        std::vector<DayItems> found;
        m_surveyDay.BindAll(stay.Stay.KisId, stay.Stay.Dob, stay.Stay.AdmDate, days.front(), days.back());
        while (m_surveyDay.Step()) {
            DayItems row{m_surveyDay.Text(kRecDateColumn), {}};
            for (int i = 0; i < 9; ++i) {
                if (!m_surveyDay.IsNull(i)) row.Items[i] = m_surveyDay.Text(i);
            }
            found.push_back(std::move(row));
        }
        m_surveyDay.Reset();

        auto next = found.begin();
        for (const auto& day : days) {
            while (next != found.end() && next->Day < day)
                ++next;
            if (next == found.end() || next->Day != day) continue;
            ApplyItemRules(stay, day, next->Items);
        }
    }

    void ApplyItemRules(StayRow& stay, const std::string& day, const std::array<std::optional<std::string>, 9>& items)
    {
        const std::string date = FormatCompactDate(day, 8);
        auto isSet = [&items](int i) { return items[i] && *items[i] == "1"; };
        for (const auto& rule : kPairRules) {
            if (isSet(rule.First) && isSet(rule.Second)) {
                Report(stay, kSeverityWarning, '3', "TISS28", std::string(rule.Text) + date + " erhoben",
                       kStayWithWarnings);
            }
        }
        if (items[kStandardMonitoring] && *items[kStandardMonitoring] != "1") {
            Report(stay, kSeverityWarning, '3', "TISS28",
                   "Erhebungstag " + date + " ohne Standardmonitoring unplausibel", kStayWithWarnings);
        }
    }

    // Writes a finding about the stay and raises its FLAG; a rejected stay stays rejected.
    void Report(StayRow& stay, std::string_view severity, char kind, std::string_view parameter,
                std::string_view comment, std::string_view flag)
    {
        const std::string key = EncodeWindows1252(std::string(1, kind) + m_hospital + m_department + stay.Stay.KisId +
                                                  stay.Stay.Dob + stay.Stay.AdmDate);
        m_protocol.WriteProtocolLine(severity, parameter, key, comment);
        if (stay.Flag == kStayRejected || stay.Flag == flag) return;
        stay.Flag = flag;
        m_setFlag.BindAll(stay.Flag, stay.RowId).Execute();
    }

    ImportProtocol& m_protocol;
    const std::string& m_hospital;
    const std::string& m_department;
    Statement m_setFlag;
    Statement m_surveyDay;
    TissDayPreparer m_days;
};

std::vector<StayRow> NextStays(Statement& query, const StayRow* last)
{
    query.BindAll(last ? last->Stay.KisId : std::string(), last ? last->Stay.Dob : std::string(),
                  last ? last->Stay.AdmDate : std::string(), kBatchSize);
    std::vector<StayRow> stays;
    while (query.Step()) {
        StayRow row;
        row.RowId = query.Int(0);
        row.Flag = query.Text(1);
        row.Typ = query.Text(2);
        row.Alter = query.Text(3);
        row.Satzart1 = query.Int(4);
        row.Satzart3 = query.Int(5);
        row.Bd = query.Text(6);
        row.Stay.KisId = query.Text(7);
        row.Stay.Dob = query.Text(8);
        row.Stay.AdmDate = query.Text(9);
        row.Stay.DisDate = query.Text(10);
        row.Stay.KaId = query.Text(11);
        row.Stay.IcuFunId = query.Text(12);
        row.Stay.IcuFunSid = query.Text(13);
        stays.push_back(std::move(row));
    }
    query.Reset();
    return stays;
}

}  // namespace

CrossRecordTotals CheckStays(Database& workingCopy, ImportProtocol& protocol, const std::string& hospital,
                             const std::string& department, const SumRecord& sumRecord)
{
    CrossRecordTotals totals;
    StayChecker checker(workingCopy, protocol, hospital, department);
    Statement query(workingCopy, StaysAfterSql());
    std::vector<StayRow> batch = NextStays(query, nullptr);
    while (!batch.empty()) {
        for (auto& stay : batch)
            checker.Check(stay, totals);
        const StayRow last = batch.back();
        batch = NextStays(query, &last);
    }

    const std::string sumKey = EncodeWindows1252("0" + hospital + department);
    if (sumRecord.Seen && sumRecord.Total != totals.AcceptedRecordCount) {
        protocol.WriteProtocolLine(kSeverityWarning, " ", sumKey, "Summensatz falsch");
        totals.HasMessages = true;
    } else if (!sumRecord.Seen && totals.AcceptedRecordCount >= 1) {
        protocol.WriteProtocolLine(kSeverityWarning, " ", sumKey, "Summensatz fehlt");
        totals.HasMessages = true;
    }
    return totals;
}

}  // namespace kalmora
