#include "analysis/DepartmentAnalysis.h"

#include "foundation/FixedText.h"
#include "foundation/Messages.h"
#include "foundation/Settings.h"
#include "foundation/UserInterface.h"
#include "reports/DepartmentLines.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

namespace kalmora {

namespace {

// Beyond this many months a filled axis would be mostly empty bars (a mistyped year, say).
constexpr int kMaxFilledMonths = 240;

bool HasLeftoverQuery(Database& department)
{
    auto view = department.Prepare("SELECT 1 FROM sqlite_schema WHERE type = 'view' AND name = ? COLLATE NOCASE");
    view.Bind(1, kAnalysisQueryName);
    return view.Step();
}

// Only ever a view: a table of that name would be someone's data.
void DropLeftoverQuery(const Settings& settings, const std::filesystem::path& file)
{
    try {
        const ExclusiveLock lock(SystemDataLockFile(settings));
        Database department(file);
        department.Execute("DROP VIEW IF EXISTS " + QuoteIdentifier(kAnalysisQueryName));
    } catch (const LockedError&) {
        // An import is at work; the view is never read, so it can wait for the next analysis.
    } catch (const StorageError&) {
        // A database the user may only read keeps it; the counts are right all the same.
    } catch (const std::filesystem::filesystem_error&) {
        // The lock file cannot be made: as above.
    }
}

// "JJJJMM" as a running month number; nothing for a text that is no such month.
std::optional<int> MonthNumber(std::string_view yearMonth)
{
    if (yearMonth.size() != 6 ||
        !std::all_of(yearMonth.begin(), yearMonth.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const int year = std::stoi(std::string(yearMonth.substr(0, 4)));
    const int month = std::stoi(std::string(yearMonth.substr(4, 2)));
    if (month < 1 || month > 12) return std::nullopt;
    return year * 12 + month - 1;
}

std::string MonthKey(int number)
{
    const int year = number / 12;
    const int month = number % 12 + 1;
    std::string key = std::to_string(year);
    key.insert(0, 4 - std::min<std::size_t>(4, key.size()), '0');
    key += month < 10 ? "0" + std::to_string(month) : std::to_string(month);
    return key;
}

std::string MonthLabel(std::string_view yearMonth)
{
    if (!MonthNumber(yearMonth)) return std::string(TrimBlanks(yearMonth));
    return std::string(yearMonth.substr(4, 2)) + "." + std::string(yearMonth.substr(0, 4));
}

}  // namespace

std::vector<MonthCount> CountStaysPerMonth(Database& department)
{
    // Was the crosstab TRANSFORM Count(KIS_ID) ... GROUP BY DIS_YEARMONTH ORDER BY DIS_YEARMONTH
    // PIVOT TYP, read at its column "Int": a month whose stays are none of type "INT" counts 0.
    // Stays without a discharge month (never set, or blank) form one group, which sorts first.
    auto months = department.Prepare(
        "SELECT CASE WHEN trim(ifnull(\"DIS_YEARMONTH\", '')) = '' THEN '' ELSE \"DIS_YEARMONTH\" END AS month, "
        "count(CASE WHEN upper(\"TYP\") = 'INT' THEN \"KIS_ID\" END) FROM " +
        QuoteIdentifier(kStaysTable) + " GROUP BY month ORDER BY month");
    std::vector<MonthCount> counts;
    while (months.Step())
        counts.push_back({months.Text(0), months.Int(1)});
    return counts;
}

std::vector<DepartmentAnalysis> AnalyseDepartments(const Settings& settings, const std::vector<std::string>& lines,
                                                   UserInterface& ui)
{
    const ReadyAtEnd ready(ui);
    std::vector<DepartmentAnalysis> analyses;
    if (auto refusal = RelativePathText("SystemDataPath", settings.SystemDataPath)) {
        ShowGeneralError(ui, " " + *refusal);
        return analyses;
    }
    {
        const BusyPointer busy(ui);
        for (const std::string& line : lines) {
            ui.SetStatusText(1, " Analyse...");
            ui.SetStatusText(2, std::string(HospitalTextOf(line)) + " ");
            ui.SetStatusText(3, std::string(DepartmentTextOf(line)) + " ");
            ui.ProcessPendingEvents();
            const std::string fileName(DatabaseFileOf(line));
            try {
                if (fileName.empty()) throw StorageError("Keine Datenbankdatei eingetragen.");
                const auto file = DataFilePath(settings.SystemDataPath, fileName);
                DepartmentAnalysis analysis{line, {}};
                bool leftover = false;
                {
                    Database department = OpenForReading(settings, file);
                    analysis.Months = CountStaysPerMonth(department);
                    leftover = HasLeftoverQuery(department);
                }
                if (leftover) DropLeftoverQuery(settings, file);
                analyses.push_back(std::move(analysis));
            } catch (const std::runtime_error& error) {
                // A damaged file, or one a crashed writer left while another run holds the data. The
                // code and the whole name, which the status bar's text cuts short.
                const std::string department(TrimBlanks(MidCharacters(line, 30, 52)));
                ShowGeneralError(ui, " Analyse der Abteilung " + department + " (" + fileName +
                                         ") nicht möglich: " + error.what());
            }
        }
    }
    return analyses;
}

std::vector<AnalysisCells> AnalysisRows(const std::vector<DepartmentAnalysis>& analyses)
{
    std::vector<AnalysisCells> rows;
    for (const auto& analysis : analyses) {
        const std::string hospital(MidCharacters(analysis.Line, 1, 27));
        if (analysis.Months.empty()) {
            // The department's whole name here, as the list has always shown it in this row.
            rows.push_back({hospital, std::string(MidCharacters(analysis.Line, 30, 52)), " ", " ", "0"});
            continue;
        }
        const std::string department(MidCharacters(analysis.Line, 30, 49));
        for (const auto& month : analysis.Months) {
            const bool known = !month.YearMonth.empty();
            rows.push_back({hospital, department, known ? std::string(MidCharacters(month.YearMonth, 1, 4)) : " ",
                            known ? std::string(MidCharacters(month.YearMonth, 5, 2)) : " ",
                            std::to_string(month.IntStays)});
        }
    }
    return rows;
}

std::string AnalysisClipboardText(const std::vector<AnalysisCells>& rows)
{
    std::string text = "KA\tAbteilung\tJahr\tMonat\tINT-Patienten";
    for (const auto& row : rows) {
        text += '\r';
        for (std::size_t column = 0; column < row.size(); ++column) {
            if (column > 0) text += '\t';
            text += row[column];
        }
    }
    return text;
}

AnalysisChart AnalysisChartOf(const std::vector<DepartmentAnalysis>& analyses)
{
    std::set<std::string> keys;
    for (const auto& analysis : analyses) {
        for (const auto& month : analysis.Months) {
            if (!month.YearMonth.empty()) keys.insert(month.YearMonth);
        }
    }
    std::vector<std::string> axis(keys.begin(), keys.end());
    const bool allMonths =
        std::all_of(keys.begin(), keys.end(), [](const std::string& key) { return MonthNumber(key).has_value(); });
    if (!keys.empty() && allMonths) {
        const int first = *MonthNumber(*keys.begin());
        const int last = *MonthNumber(*keys.rbegin());
        if (last - first < kMaxFilledMonths) {
            axis.clear();
            for (int number = first; number <= last; ++number)
                axis.push_back(MonthKey(number));
        }
    }

    AnalysisChart chart;
    std::map<std::string, std::size_t> position;
    for (const auto& key : axis) {
        position.emplace(key, chart.Months.size());
        chart.Months.push_back(MonthLabel(key));
    }
    for (const auto& analysis : analyses) {
        AnalysisChart::Series series;
        series.Name = std::string(TrimBlanks(MidCharacters(analysis.Line, 1, 4))) + " " +
                      std::string(TrimBlanks(MidCharacters(analysis.Line, 30, 49)));
        series.IntStays.assign(chart.Months.size(), 0);
        for (const auto& month : analysis.Months) {
            if (const auto found = position.find(month.YearMonth); found != position.end()) {
                series.IntStays[found->second] = month.IntStays;
            }
        }
        chart.Departments.push_back(std::move(series));
    }
    return chart;
}

}  // namespace kalmora
