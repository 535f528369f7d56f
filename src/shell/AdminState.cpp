#include "shell/AdminState.h"

#include "storage/Database.h"
#include "storage/Schema.h"

#include <string>
#include <system_error>

namespace kalmora {

bool AdminListsNoDepartment(const Settings& settings)
{
    if (auto refusal = RelativePathText("SystemDataPath", settings.SystemDataPath)) {
        throw StorageError("Die Verwaltungsdatenbank " + std::string(kAdminDatabaseFile) +
                           " kann nicht gefunden werden: " + *refusal);
    }
    const auto file = DataFilePath(settings.SystemDataPath, kAdminDatabaseFile);
    // Opening without the create flag would fail as well, but with the engine's English words.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        throw StorageError("Die Verwaltungsdatenbank " + file.string() + " wurde nicht gefunden.");
    }
    try {
        // Read-write without create: a crashed writer's journal can then be rolled back first.
        Database admin(file, OpenMode::ReadWrite);
        auto any = admin.Prepare("SELECT 1 FROM " + QuoteIdentifier(kDepartmentsTable) + " LIMIT 1");
        return !any.Step();
    } catch (const StorageError& failure) {
        throw StorageError("Die Verwaltungsdatenbank " + file.string() + " kann nicht gelesen werden.\n" +
                               failure.what(),
                           failure);
    }
}

}  // namespace kalmora
