#include "reports/StayLines.h"

#include "foundation/Conversions.h"
#include "foundation/Settings.h"
#include "reports/DepartmentLines.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"
#include "storage/StayFlags.h"

namespace kalmora {

namespace {

constexpr std::string_view kStayColumns = "\"KIS_ID\", \"DOB\", \"ADM_DATE\", \"DIS_DATE\", \"TYP\", \"FLAG\"";

StoredStay StayOf(const Statement& row)
{
    return StoredStay{row.Text(0), row.Text(1), row.Text(2), row.Text(3), row.Text(4), row.Text(5)};
}

}  // namespace

std::string_view StayStatusText(std::string_view flag)
{
    if (flag == kStayCorrect) return "Korrekt";
    if (flag == kStayWithWarnings) return "Inkorrekt";
    if (flag == kStayRejected) return "Entlassen";
    if (flag == kStayInProgress) return "In Arbeit";
    return {};
}

std::string StayLineText(const StoredStay& stay)
{
    std::string text;
    text += FitToWidth(stay.KisId, 10);
    text += "   ";
    text += FitToWidth(FormatCompactDate(stay.Dob, 8), 10);
    text += "   ";
    text += FitToWidth(FormatCompactDate(stay.AdmDate, 12), 17);
    text += "   ";
    text += FitToWidth(FormatCompactDate(stay.DisDate, 12), 17);
    text += "   ";
    text += FitToWidth(stay.Typ, 3);
    text += "   ";
    text += FitToWidth(StayStatusText(stay.Flag), 10);
    return text;
}

std::vector<StoredStay> ReadStays(Database& department)
{
    std::vector<StoredStay> stays;
    auto rows = department.Prepare("SELECT " + std::string(kStayColumns) + " FROM " + QuoteIdentifier(kStaysTable) +
                                   " ORDER BY rowid");
    while (rows.Step())
        stays.push_back(StayOf(rows));
    return stays;
}

std::vector<std::string> ReadStayLines(const Settings& settings, std::string_view departmentLine)
{
    const std::string_view file = DatabaseFileOf(departmentLine);
    if (file.empty()) throw StorageError("Keine Datenbankdatei eingetragen.");
    Database department = OpenForReading(settings, DataFilePath(settings.SystemDataPath, file));
    std::vector<std::string> lines;
    for (const auto& stay : ReadStays(department))
        lines.push_back(StayLineText(stay));
    return lines;
}

SelectedStay SelectedStayOf(std::string_view stayLine, std::string_view departmentLine)
{
    auto columns = [stayLine](std::size_t start, std::size_t count) {
        return std::string(MidCharacters(stayLine, start, count));
    };
    SelectedStay stay;
    stay.Origin = IsExternal(departmentLine) ? "EXTERN" : "INTERN";
    stay.KisId = columns(1, 10);
    stay.Dob = columns(20, 4) + columns(17, 2) + columns(14, 2);
    stay.AdmDate = columns(33, 4) + columns(30, 2) + columns(27, 2) + columns(39, 2) + columns(42, 2);
    return stay;
}

bool HasReport(std::string_view stayLine)
{
    return MidCharacters(stayLine, 67, 3) == "INT";
}

std::optional<StoredStay> FindStay(Database& department, const SelectedStay& key)
{
    auto row = department.Prepare("SELECT " + std::string(kStayColumns) + " FROM " + QuoteIdentifier(kStaysTable) +
                                  " WHERE \"KIS_ID\" = ? AND \"DOB\" = ? AND \"ADM_DATE\" = ?");
    row.BindAll(key.KisId.str(), key.Dob.str(), key.AdmDate.str());
    if (!row.Step()) return std::nullopt;
    return StayOf(row);
}

}  // namespace kalmora
