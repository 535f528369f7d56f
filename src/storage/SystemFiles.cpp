#include "storage/SystemFiles.h"

#include "foundation/DiagnosticLog.h"
#include "foundation/FixedText.h"
#include "foundation/Platform.h"
#include "foundation/SafeFile.h"
#include "foundation/Settings.h"
#include "foundation/Utf8Path.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"

#include <algorithm>
#include <system_error>

namespace kalmora {

namespace {

// Whether `name`, compared without regard to case, is one that the program keeps in the system data
// directory or sweeps from it: a case-insensitive file system (Windows, network shares, FAT) takes
// "IADMIN.MDB" for "iadmin.mdb", and a name that differs only in case is refused everywhere alike.
bool IsProgramName(std::string_view name, const std::vector<std::string>& registered)
{
    const std::string lower = LowerAscii(name);
    const std::string_view base = WithoutSideFileSuffix(lower);
    for (std::string_view own : {kAdminDatabaseFile, kTemplateDatabaseFile, kDiagnosticLogFile, kLockFileName}) {
        if (base == LowerAscii(own)) return true;
    }
    if (base == LowerAscii(std::string(kDiagnosticLogFile) + ".1")) return true;
    if (IsScratchDatabaseName(base) || IsBuildingName(base) || IsHiddenTemporaryOf(base, kAdminDatabaseFile) ||
        IsHiddenTemporaryOf(base, kTemplateDatabaseFile)) {
        return true;
    }
    for (const auto& file : registered) {
        const std::string stem = LowerAscii(file);
        if (base == stem || base == stem + ".new" || base == stem + ".old") return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> RegisteredDatabaseFiles(Database& admin)
{
    std::vector<std::string> files;
    auto rows = admin.Prepare("SELECT \"MDB_DATEI\" FROM " + QuoteIdentifier(kDepartmentsTable) + " ORDER BY rowid");
    while (rows.Step()) {
        std::string file(TrimBlanks(rows.Text(0)));
        if (!file.empty()) files.push_back(std::move(file));
    }
    return files;
}

bool IsSystemDataFile(const Settings& settings, const std::filesystem::path& directory, std::string_view name)
{
    const auto system = DataFilePath(settings.SystemDataPath, "");
    const bool inSystemDirectory = platform::SameEntry(directory, system);
    // The same file under another name: another case on a case-insensitive file system, a second link.
    const auto target = directory / PathFromUtf8(name);
    const auto sameFile = [&](const std::vector<std::string>& files) {
        return std::any_of(files.begin(), files.end(), [&](const std::string& file) {
            return platform::SameEntry(target, system / PathFromUtf8(file));
        });
    };
    if (sameFile({std::string(kAdminDatabaseFile), std::string(kTemplateDatabaseFile), std::string(kDiagnosticLogFile),
                  std::string(kLockFileName)})) {
        return true;
    }
    std::vector<std::string> registered;
    const auto admin = DataFilePath(settings.SystemDataPath, kAdminDatabaseFile);
    std::error_code error;
    if (std::filesystem::is_regular_file(admin, error)) {
        try {
            Database database(admin, OpenMode::ReadOnly);
            registered = RegisteredDatabaseFiles(database);
        } catch (const StorageError&) {
            // Outside the system directory only a second link of a department's file could be hit, and
            // the file put there replaces the link, not the file.
            if (inSystemDirectory) throw;
        }
    }
    if (sameFile(registered)) return true;
    return inSystemDirectory && IsProgramName(name, registered);
}

}  // namespace kalmora
