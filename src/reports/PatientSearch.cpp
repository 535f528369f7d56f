#include "reports/PatientSearch.h"

#include "foundation/Conversions.h"
#include "foundation/FailureText.h"
#include "foundation/Settings.h"
#include "reports/DepartmentLines.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"

#include <exception>

namespace kalmora {

namespace {

constexpr int kByKisId = 1;
constexpr int kByDob = 2;

bool IsTwoDigitYear(std::string_view year)
{
    return year.size() == 2 && year[0] >= '0' && year[0] <= '9' && year[1] >= '0' && year[1] <= '9';
}

}  // namespace

int SearchModeOf(const PatientSearchKey& key)
{
    int mode = 0;
    if (!key.KisId.Trimmed().empty()) mode += kByKisId;
    if (!key.Dob.Trimmed().empty()) mode += kByDob;
    return mode;
}

PatientSearchKey SearchKeyOf(std::string_view kisIdText, std::string_view dobText)
{
    PatientSearchKey key;
    key.KisId = TrimBlanks(kisIdText);
    key.Dob = TrimBlanks(ParseDisplayDate(dobText, 8));
    return key;
}

std::string NormalizeBirthDateInput(std::string_view input, int currentYear)
{
    const std::string_view text = TrimBlanks(input);
    const auto lastDot = text.rfind('.');
    const std::string_view typedYear =
        lastDot == std::string_view::npos ? std::string_view{} : TrimBlanks(text.substr(lastDot + 1));
    // Any default year shorter than the missing digits refuses the input: only four-digit years,
    // compact dates and the two-digit years completed here pass.
    std::string century = "8";
    if (IsTwoDigitYear(typedYear)) {
        const int typed = (typedYear[0] - '0') * 10 + (typedYear[1] - '0');
        century =
            typed <= currentYear % 100 ? std::to_string(currentYear / 100) : std::to_string(currentYear / 100 - 1);
    }
    return NormalizeDateInput(text, century);
}

bool DepartmentHoldsPatient(const Settings& settings, std::string_view departmentLine, const PatientSearchKey& key)
{
    const std::string_view file = DatabaseFileOf(departmentLine);
    if (file.empty()) throw StorageError("Keine Datenbankdatei eingetragen.");
    Database department = OpenForReading(settings, DataFilePath(settings.SystemDataPath, file));
    const int mode = SearchModeOf(key);
    std::string sql = "SELECT 1 FROM " + QuoteIdentifier(kStaysTable) + " WHERE ";
    if (mode == kByKisId)
        sql += "\"KIS_ID\" = ?1";
    else if (mode == kByDob)
        sql += "\"DOB\" = ?2";
    else
        sql += "\"KIS_ID\" = ?1 AND \"DOB\" = ?2";
    auto row = department.Prepare(sql + " LIMIT 1");
    if (mode & kByKisId) row.Bind(1, key.KisId.str());
    if (mode & kByDob) row.Bind(2, key.Dob.str());
    return row.Step();
}

DepartmentSearchResult SearchDepartments(const Settings& settings, const std::vector<std::string>& lines,
                                         std::vector<bool>& selected, SearchStart start, const PatientSearchKey& key)
{
    std::size_t anchor = 0;
    for (std::size_t index = selected.size(); index-- > 0;) {
        if (selected[index]) anchor = index;
    }
    selected.assign(lines.size(), false);

    DepartmentSearchResult result;
    result.Current = anchor;
    const std::size_t first = start == SearchStart::FromBeginning ? 0 : anchor + 1;
    for (std::size_t index = first; index < lines.size(); ++index) {
        try {
            if (!DepartmentHoldsPatient(settings, lines[index], key)) continue;
        } catch (const std::exception& failure) {
            result.Unsearchable.push_back(std::string(DatabaseFileOf(lines[index])) + ": " + GermanReason(failure));
            continue;
        }
        result.Found = true;
        result.Current = index;
        break;
    }
    if (result.Current < selected.size()) selected[result.Current] = true;
    return result;
}

std::optional<std::size_t> SearchStayLines(const std::vector<std::string>& lines, std::size_t anchor, SearchStart start,
                                           const PatientSearchKey& key)
{
    const int mode = SearchModeOf(key);
    const std::size_t first = start == SearchStart::FromBeginning ? 0 : anchor + 1;
    for (std::size_t index = first; index < lines.size(); ++index) {
        const std::string_view line = lines[index];
        const bool kisIdMatches = MidCharacters(line, 1, 10) == key.KisId.str();
        const bool dobMatches = ParseDisplayDate(MidCharacters(line, 14, 10), 8) == key.Dob.str();
        if ((mode & kByKisId) && !kisIdMatches) continue;
        if ((mode & kByDob) && !dobMatches) continue;
        if (mode != 0) return index;
    }
    return std::nullopt;
}

}  // namespace kalmora
