#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

class Database;

// One row of a reference list: a hospital number ("K" and three characters) or a six-character
// department code, with its name.
struct ReferenceEntry {
    std::string Key;
    std::string Name;
};

struct ReferenceProblem {
    std::filesystem::path File;
    int Line = 0;
    std::string Message;

    // "hospitals.csv, Zeile 5: ..." for the user.
    std::string Describe() const;
};

// A reference list that cannot be loaded; it names every bad line.
class ReferenceDataError : public std::runtime_error {
public:
    explicit ReferenceDataError(std::vector<ReferenceProblem> problems);
    const std::vector<ReferenceProblem>& Problems() const { return m_problems; }

private:
    std::vector<ReferenceProblem> m_problems;
};

enum class ReferenceKind { Hospitals, Departments };

// Reads a UTF-8 list of "KEY;NAME" lines with the header "KANR;BEZEICHNUNG" (hospitals) or
// "ABTEILUNG;BEZEICHNUNG" (departments). Problems are appended to `problems`, one per bad line.
std::vector<ReferenceEntry> ReadReferenceList(const std::filesystem::path& file, ReferenceKind kind,
                                              std::vector<ReferenceProblem>& problems);

// Replaces the contents of both reference tables; the caller holds the transaction.
void FillReferenceTables(Database& admin, const std::vector<ReferenceEntry>& hospitals,
                         const std::vector<ReferenceEntry>& departments);

// Replaces the contents of both reference tables of the open admin database in one transaction.
void ReplaceReferenceTables(Database& admin, const std::vector<ReferenceEntry>& hospitals,
                            const std::vector<ReferenceEntry>& departments);

// Reads both lists; any bad line throws ReferenceDataError naming every bad line.
struct ReferenceLists {
    std::vector<ReferenceEntry> Hospitals;
    std::vector<ReferenceEntry> Departments;
};
ReferenceLists ReadReferenceLists(const std::filesystem::path& hospitalsFile,
                                  const std::filesystem::path& departmentsFile);

// The name of a hospital number, resp. of a six-character department code, from the reference
// tables of the open admin database; nothing when the table has no such row.
std::optional<std::string> HospitalName(Database& admin, std::string_view hospital);
std::optional<std::string> DepartmentName(Database& admin, std::string_view departmentCode);

// Reads both lists and replaces the tables; any bad line throws ReferenceDataError and changes nothing.
void LoadReferenceData(const std::filesystem::path& adminDatabase, const std::filesystem::path& hospitalsFile,
                       const std::filesystem::path& departmentsFile);

// The folder of the reference lists shipped with the program, in its data directory (see
// DataDirectoryOf); nothing when there is none.
std::optional<std::filesystem::path> ShippedReferenceDirectory(const std::filesystem::path& dataDirectory);

}  // namespace kalmora
