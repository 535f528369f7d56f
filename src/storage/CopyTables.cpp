#include "storage/CopyTables.h"

#include "storage/Database.h"
#include "storage/Schema.h"

#include <sqlite3.h>

#include <array>
#include <string>

namespace kalmora {

namespace {

constexpr std::string_view kTargetSchema = "copy_target";

// Attaches a database file for the lifetime of the guard. The path is bound, so any character in it
// is safe.
class AttachedDatabase {
public:
    AttachedDatabase(Database& database, const std::filesystem::path& file) : m_database(database)
    {
        m_database.Prepare("ATTACH DATABASE ? AS " + std::string(kTargetSchema)).Bind(1, file.string()).Execute();
    }
    ~AttachedDatabase()
    {
        sqlite3_exec(m_database.Handle(), ("DETACH DATABASE " + std::string(kTargetSchema)).c_str(), nullptr, nullptr,
                     nullptr);
    }
    AttachedDatabase(const AttachedDatabase&) = delete;
    AttachedDatabase& operator=(const AttachedDatabase&) = delete;

private:
    Database& m_database;
};

std::string ColumnList(Database& database, std::string_view table)
{
    auto columns = database.Prepare("SELECT name FROM pragma_table_info(?) ORDER BY cid");
    columns.Bind(1, table);
    std::string list;
    while (columns.Step()) {
        if (!list.empty()) list += ", ";
        list += QuoteIdentifier(columns.Text(0));
    }
    if (list.empty()) throw StorageError("Tabelle fehlt: " + std::string(table), SQLITE_ERROR);
    return list;
}

}  // namespace

void CopyTablesToDatabase(Database& source, const std::filesystem::path& target)
{
    // ATTACH would create a missing file; the target must be a prepared copy of the template.
    if (!std::filesystem::is_regular_file(target)) {
        throw StorageError("Zieldatenbank nicht gefunden: " + target.string(), SQLITE_CANTOPEN);
    }
    AttachedDatabase attached(source, target);
    Transaction transaction(source);
    // Stays first, then the records that belong to them; rows keep their stored order.
    for (std::string_view table : std::array{kStaysTable, kStayRecordsTable, kTissTable}) {
        const std::string columns = ColumnList(source, table);
        const std::string name = QuoteIdentifier(table);
        // Jet: INSERT INTO [table] IN 'target' SELECT DISTINCTROW [table].* FROM [table];
        // OR IGNORE skips the rows the target refuses, as that statement did without its failure option.
        source.Execute("INSERT OR IGNORE INTO " + std::string(kTargetSchema) + "." + name + " (" + columns +
                       ") SELECT " + columns + " FROM main." + name + " ORDER BY rowid");
    }
    transaction.Commit();
}

}  // namespace kalmora
