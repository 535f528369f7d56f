#include "storage/Schema.h"

#include "storage/Database.h"

#include <sqlite3.h>

#include <random>
#include <string>
#include <system_error>

namespace kalmora {

namespace {

std::filesystem::path UnusedSiblingPath(const std::filesystem::path& file)
{
    std::random_device random;
    for (;;) {
        auto candidate = file;
        candidate += ".new-" + std::to_string(random());
        if (!std::filesystem::exists(candidate)) return candidate;
    }
}

}  // namespace

void CreateDatabaseFile(const std::filesystem::path& file, std::string_view schemaSql,
                        const std::function<void(Database&)>& fill)
{
    if (std::filesystem::exists(file)) {
        throw StorageError("Datenbank existiert bereits: " + file.string(), SQLITE_CANTOPEN);
    }
    const auto building = UnusedSiblingPath(file);
    try {
        {
            Database database(building, OpenMode::CreateNew);
            Transaction transaction(database);
            database.Execute(schemaSql);
            if (fill) fill(database);
            transaction.Commit();
        }
        // A hard link refuses an existing target, so a file made meanwhile by someone else survives.
        std::error_code error;
        std::filesystem::create_hard_link(building, file, error);
        if (error && !std::filesystem::exists(file)) {
            // File systems without hard links: a rename is atomic as well.
            std::filesystem::rename(building, file);
            return;
        }
        if (error) {
            throw StorageError("Datenbank kann nicht angelegt werden: " + file.string() + ": " + error.message(),
                               SQLITE_CANTOPEN);
        }
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(building, ignored);
        throw;
    }
    std::filesystem::remove(building);
}

}  // namespace kalmora
