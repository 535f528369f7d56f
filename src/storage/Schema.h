#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace kalmora {

// Database files, named as the program has always named them (they are SQLite databases).
inline constexpr std::string_view kAdminDatabaseFile = "iadmin.mdb";
inline constexpr std::string_view kTemplateDatabaseFile = "ibds.mdb";
// Each import makes its scratch database under a name of its own, "temp.~kalmora.<number>.mdb", so
// that two runs never share one and a killed run's is known as the program's by its mark.
inline constexpr std::string_view kScratchDatabasePrefix = "temp.~kalmora.";
inline constexpr std::string_view kScratchDatabaseSuffix = ".mdb";
// Whether `name` is a scratch database's (not one of its side files).
bool IsScratchDatabaseName(std::string_view name);
inline constexpr std::string_view kExportDatabaseFile = "gesamt.mdb";

// Admin database tables.
inline constexpr std::string_view kDepartmentsTable = "Dateiverwaltung";
inline constexpr std::string_view kHospitalNamesTable = "KANR-Bezeichnung";
inline constexpr std::string_view kDepartmentNamesTable = "ABT-Bezeichnung";

// Department database tables.
inline constexpr std::string_view kStaysTable = "Gesamt - Patientenadministration";
inline constexpr std::string_view kStayRecordsTable = "Satzart 1 - Patientenadministration Intensiv";
inline constexpr std::string_view kTissTable = "Satzart 3 - TISS28";
inline constexpr std::string_view kTissTempTable = "Satzart 3 - TISS28 TEMP";

// Key widths of the reference tables.
inline constexpr std::size_t kHospitalNumberWidth = 4;
inline constexpr std::size_t kDepartmentCodeWidth = 6;

// Admin database tables made on first use, which older admin databases lack until then.
inline constexpr std::string_view kVerifiedFilesTable = "VerifiedFiles";

std::string_view AdminSchemaSql();
// The tables the admin database gains on first use ("CREATE TABLE IF NOT EXISTS").
std::string_view VerifiedFilesSchemaSql();
std::string_view DepartmentSchemaSql();

class Database;

// Makes the schema in the empty database file `file`, and lets `fill` add rows, in one transaction.
void FillNewDatabase(const std::filesystem::path& file, std::string_view schemaSql,
                     const std::function<void(Database&)>& fill = {});

// Creates a new database file with the given schema and lets `fill` add rows in the same
// transaction. The file appears complete or not at all, and an existing file is never replaced
// (StorageError).
void CreateDatabaseFile(const std::filesystem::path& file, std::string_view schemaSql,
                        const std::function<void(Database&)>& fill = {});
inline void CreateAdminDatabase(const std::filesystem::path& file)
{
    CreateDatabaseFile(file, AdminSchemaSql());
}
inline void CreateDepartmentTemplate(const std::filesystem::path& file)
{
    CreateDatabaseFile(file, DepartmentSchemaSql());
}

}  // namespace kalmora
