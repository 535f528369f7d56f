#include "reports/ReportDetail.h"

#include "foundation/Conversions.h"
#include "foundation/FixedText.h"
#include "foundation/NumberFormat.h"
#include "foundation/Rounding.h"
#include "foundation/Settings.h"
#include "foundation/Val.h"
#include "reports/DepartmentLines.h"
#include "scoring/Tiss28Items.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"

namespace kalmora {

namespace {

constexpr std::string_view kStayCriteria = " WHERE \"KIS_ID\" = ? AND \"DOB\" = ? AND \"ADM_DATE\" = ? ORDER BY rowid";

// A blank date stays empty instead of showing the blanks of its display form.
std::string DateText(std::string_view value, int width)
{
    if (TrimBlanks(value).empty()) return {};
    return FormatCompactDate(value, width);
}

void ReadBaseData(Database& department, const SelectedStay& stay, ReportBaseData& base)
{
    auto row = department.Prepare("SELECT \"KIS_ID\", \"DOB\", \"ADM_DATE\", \"DIS_DATE\", \"ICU_OUTCOME\", "
                                  "\"HOSP_DIS_DATE\", \"HOSP_MORT\" FROM " +
                                  QuoteIdentifier(kStayRecordsTable) + std::string(kStayCriteria) + " LIMIT 1");
    row.BindAll(stay.KisId.str(), stay.Dob.str(), stay.AdmDate.str());
    if (!row.Step()) return;
    base.KisId = row.Text(0);
    base.Dob = DateText(row.Text(1), 8);
    base.AdmDate = DateText(row.Text(2), 12);
    base.DisDate = DateText(row.Text(3), 12);
    base.IcuOutcomeItem = OutcomeItemOf(row.Text(4), 4);
    base.HospDisDate = DateText(row.Text(5), 8);
    base.HospMortItem = OutcomeItemOf(row.Text(6), 2);
}

std::vector<ReportDay> ReadSurveyDays(Database& department, const SelectedStay& stay)
{
    std::string columns = "\"QUALIFIER\", \"REC_DATE\", \"T28_SCORE\"";
    for (const auto& item : kTiss28Items)
        columns += ", " + QuoteIdentifier(item.Column);
    auto rows =
        department.Prepare("SELECT " + columns + " FROM " + QuoteIdentifier(kTissTable) + std::string(kStayCriteria));
    rows.BindAll(stay.KisId.str(), stay.Dob.str(), stay.AdmDate.str());

    std::vector<ReportDay> days;
    while (rows.Step()) {
        if (rows.Text(0) != "3") continue;
        ReportDay day;
        day.DateText = FormatCompactDate(rows.Text(1), 8);
        day.ScoreText = ScoreTextOf(rows.Text(2));
        for (std::size_t item = 0; item < kTiss28Items.size(); ++item)
            day.Ticked[item] = ItemTicked(rows.Text(static_cast<int>(item) + 3));
        days.push_back(std::move(day));
    }
    return days;
}

}  // namespace

int OutcomeItemOf(std::string_view value, int lastItem)
{
    if (TrimBlanks(value).empty()) return 0;
    const double number = Val(value);
    if (number < 1 || number > lastItem) return 0;
    return static_cast<int>(RoundHalfToEven(number));
}

bool ItemTicked(std::string_view value)
{
    if (TrimBlanks(value).empty()) return false;
    const double number = Val(value);
    return number >= 0 && number <= 1 && RoundHalfToEven(number) == 1;
}

std::string ScoreTextOf(std::string_view value)
{
    if (TrimBlanks(value).empty()) return {};
    return FormatNumber(Val(value), "0.##");
}

ReportDetail ReadReportDetail(const Settings& settings, std::string_view departmentLine, const SelectedStay& stay)
{
    ReportDetail detail;
    detail.Base.HospitalText = MidCharacters(departmentLine, 1, 28);
    detail.Base.DepartmentText = MidCharacters(departmentLine, 30, 44);

    const std::string_view file = DatabaseFileOf(departmentLine);
    if (file.empty()) throw StorageError("Keine Datenbankdatei eingetragen.");
    Database department = OpenForReading(settings, DataFilePath(settings.SystemDataPath, file));
    ReadBaseData(department, stay, detail.Base);
    detail.Days = ReadSurveyDays(department, stay);
    return detail;
}

}  // namespace kalmora
