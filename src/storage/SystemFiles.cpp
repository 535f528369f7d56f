#include "storage/SystemFiles.h"

#include "foundation/DiagnosticLog.h"
#include "foundation/FixedText.h"
#include "foundation/Platform.h"
#include "foundation/Settings.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"

#include <system_error>

namespace kalmora {

bool IsSystemDataFile(const Settings& settings, const std::filesystem::path& directory, std::string_view name)
{
    if (!platform::SameEntry(directory, DataFilePath(settings.SystemDataPath, ""))) return false;
    for (std::string_view own : {kAdminDatabaseFile, kTemplateDatabaseFile, kDiagnosticLogFile}) {
        if (name == own) return true;
    }
    if (IsScratchDatabaseName(name)) return true;
    if (name == SystemDataLockFile(settings).filename().string()) return true;
    // Names that every run holding the lock clears away as a killed run's leftovers.
    if (name.ends_with(".new") || name.ends_with(".old")) return true;
    const auto admin = DataFilePath(settings.SystemDataPath, kAdminDatabaseFile);
    std::error_code error;
    if (!std::filesystem::is_regular_file(admin, error)) return false;
    Database database(admin, OpenMode::ReadOnly);
    auto files = database.Prepare("SELECT \"MDB_DATEI\" FROM " + QuoteIdentifier(kDepartmentsTable));
    while (files.Step()) {
        if (TrimBlanks(files.Text(0)) == name) return true;
    }
    return false;
}

}  // namespace kalmora
