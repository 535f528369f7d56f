#include "storage/Schema.h"

#include "foundation/FailureText.h"
#include "foundation/SafeFile.h"
#include "storage/Database.h"

#include <string>
#include <system_error>

namespace kalmora {

void CreateDatabaseFile(const std::filesystem::path& file, std::string_view schemaSql,
                        const std::function<void(Database&)>& fill)
{
    if (std::filesystem::exists(file)) {
        throw StorageError("Datenbank existiert bereits: " + file.string());
    }
    try {
        SafeFile building(file);
        {
            Database database(building.Path());
            Transaction transaction(database);
            database.Execute(schemaSql);
            if (fill) fill(database);
            transaction.Commit();
        }
        building.CommitNew();
    } catch (const std::filesystem::filesystem_error& error) {
        throw StorageError("Datenbank kann nicht angelegt werden: " + file.string() + ": " +
                           GermanErrorText(error.code()));
    }
}

}  // namespace kalmora
