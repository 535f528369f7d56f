#include "storage/Schema.h"

#include "foundation/FailureText.h"
#include "foundation/SafeFile.h"
#include "storage/Database.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace kalmora {

bool IsScratchDatabaseName(std::string_view name)
{
    if (name.size() <= kScratchDatabasePrefix.size() + kScratchDatabaseSuffix.size() ||
        !name.starts_with(kScratchDatabasePrefix) || !name.ends_with(kScratchDatabaseSuffix)) {
        return false;
    }
    name.remove_prefix(kScratchDatabasePrefix.size());
    name.remove_suffix(kScratchDatabaseSuffix.size());
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void FillNewDatabase(const std::filesystem::path& file, std::string_view schemaSql,
                     const std::function<void(Database&)>& fill)
{
    Database database(file);
    Transaction transaction(database);
    database.Execute(schemaSql);
    if (fill) fill(database);
    transaction.Commit();
}

void CreateDatabaseFile(const std::filesystem::path& file, std::string_view schemaSql,
                        const std::function<void(Database&)>& fill)
{
    if (std::filesystem::exists(file)) {
        throw StorageError("Datenbank existiert bereits: " + file.string());
    }
    try {
        SafeFile building(file);
        FillNewDatabase(building.Path(), schemaSql, fill);
        // In place even where the folder could not be synced.
        static_cast<void>(building.CommitNew());
    } catch (const std::filesystem::filesystem_error& error) {
        throw StorageError("Datenbank kann nicht angelegt werden: " + file.string() + ": " +
                           GermanErrorText(error.code()));
    }
}

}  // namespace kalmora
