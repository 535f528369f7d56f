#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

class Database;
class UserInterface;
struct Settings;

// One department of the report list: its row of "Dateiverwaltung" and the line the list shows. The
// windows above the list read their department back from fixed columns of the line.
struct DepartmentLine {
    std::string Kanr;       // as stored
    std::string Abteilung;  // as stored
    std::string Text;

    // "KANR/ABTEILUNG" without blanks, as the user names a department.
    std::string Key() const;
};

// The line: KANR, hospital name (20), ABTEILUNG, department name (41), database file from column 85,
// status from column 98.
std::string DepartmentLineText(std::string_view kanr, std::string_view hospitalName, std::string_view abteilung,
                               std::string_view departmentName, std::string_view databaseFile, std::string_view status);

// Every row of "Dateiverwaltung" in stored order. A name missing from the reference tables shows as
// blanks.
std::vector<DepartmentLine> ReadDepartmentLines(Database& admin);
std::vector<DepartmentLine> ReadDepartmentLines(const Settings& settings);

// Columns 1-28: the hospital text of the status bar and the report header.
std::string_view HospitalTextOf(std::string_view line);
// Columns 29-72: the department text shown while deleting and in the analysis.
std::string_view DepartmentTextOf(std::string_view line);
// Columns 85-96 without the blanks at the end: the department database's file name.
std::string_view DatabaseFileOf(std::string_view line);
// Column 98 is "E".
bool IsExternal(std::string_view line);

// False, after Notice::NoDataImported, when no department has been imported yet; every action of the list but
// closing checks this first.
bool CheckDataImported(const Settings& settings, UserInterface& ui);

// Deletes the selected departments' database files and rows after Notice::NothingSelected (nothing selected)
// and Question::RemoveReports. Holds the system data lock, so it never runs beside an import. A department whose file
// cannot be deleted keeps its row and its line, and is reported; one whose file is already gone loses
// its row. `lines` and `selected` (one flag per line) are updated as the list shows them afterwards:
// the remaining lines with the first of them selected; unchanged when nothing was deleted.
// Returns the number of departments deleted.
std::size_t DeleteDepartments(const Settings& settings, std::vector<std::string>& lines, std::vector<bool>& selected,
                              UserInterface& ui);

}  // namespace kalmora
