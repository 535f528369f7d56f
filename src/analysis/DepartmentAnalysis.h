#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

class Database;
class UserInterface;
struct Settings;

// The name under which the monthly count was once stored in a department database as a query. The
// count no longer needs one; a view of this name left behind is removed.
inline constexpr std::string_view kAnalysisQueryName = "Abteilungsanalyse";

// The stays of one discharge month and how many of them are of type "INT".
struct MonthCount {
    // "JJJJMM" as stored; empty for the stays without a discharge month.
    std::string YearMonth;
    std::int64_t IntStays = 0;

    bool operator==(const MonthCount&) const = default;
};

// One row per discharge month in ascending order, the stays without a discharge month first; every
// stay counts, whatever its state. Empty for a department without stays.
std::vector<MonthCount> CountStaysPerMonth(Database& department);

// The analysis of one selected department.
struct DepartmentAnalysis {
    std::string Line;  // the department line of the report list
    std::vector<MonthCount> Months;
};

// Analyses the departments of the given lines in their order, showing each in the status bar. A
// department whose database cannot be read is reported as a general error with its name and the
// reason and gets no analysis; the others are still analysed. A leftover view of the old query's
// name is dropped under the system data lock; while an import holds that lock it stays for the next
// time, which does it no harm.
std::vector<DepartmentAnalysis> AnalyseDepartments(const Settings& settings, const std::vector<std::string>& lines,
                                                   UserInterface& ui);

inline constexpr std::size_t kAnalysisColumnCount = 5;
inline constexpr std::array<std::string_view, kAnalysisColumnCount> kAnalysisTitles{"KA", "Abteilung", "Jahr", "Monat",
                                                                                    "#Intensiv-Patienten"};
using AnalysisCells = std::array<std::string, kAnalysisColumnCount>;

// The grid's rows: per department one row per month (hospital, department, year, month, count), or
// for a department without stays a single row with blank year and month and the count "0".
std::vector<AnalysisCells> AnalysisRows(const std::vector<DepartmentAnalysis>& analyses);

// What "&Kopieren" puts on the clipboard: the copied titles (the last one "INT-Patienten") separated
// by TAB, then per row CR and the cells separated by TAB. Without rows it is the title line alone.
std::string AnalysisClipboardText(const std::vector<AnalysisCells>& rows);

// The "INT" stays per month of each department, as the chart shows them.
struct AnalysisChart {
    // "MM.JJJJ" per month, ascending; the months between the first and the last are all there, so the
    // chart shows a month without discharges as 0 rather than leaving it out.
    std::vector<std::string> Months;
    struct Series {
        std::string Name;                    // hospital number and department
        std::vector<std::int64_t> IntStays;  // one per month
    };
    std::vector<Series> Departments;
};

// Stays without a discharge month have no place on the time axis and are left out.
AnalysisChart AnalysisChartOf(const std::vector<DepartmentAnalysis>& analyses);

}  // namespace kalmora
