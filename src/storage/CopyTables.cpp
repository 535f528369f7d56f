#include "storage/CopyTables.h"

#include "storage/Database.h"
#include "storage/Schema.h"

#include <array>
#include <string>
#include <vector>

namespace kalmora {

namespace {

constexpr std::string_view kTargetSchema = "copy_target";

struct CopiedTable {
    std::string_view Name;
    std::array<std::string_view, 4> Key;  // the unique key's fields; unused ones empty
};

constexpr std::array kCopiedTables{
    CopiedTable{kStaysTable, {"KIS_ID", "DOB", "ADM_DATE", ""}},
    CopiedTable{kStayRecordsTable, {"KIS_ID", "DOB", "ADM_DATE", ""}},
    CopiedTable{kTissTable, {"KIS_ID", "DOB", "ADM_DATE", "REC_DATE"}},
};

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
        m_database.ExecuteIfPossible("DETACH DATABASE " + std::string(kTargetSchema));
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
    if (list.empty()) throw StorageError("Tabelle fehlt: " + std::string(table));
    return list;
}

}  // namespace

void CopyTablesToDatabase(Database& source, const std::filesystem::path& target, CopyTarget kind,
                          CopiedSurveyDays surveyDays)
{
    // ATTACH would create a missing file; the target must be a prepared copy of the template.
    if (!std::filesystem::is_regular_file(target)) {
        throw StorageError("Zieldatenbank nicht gefunden: " + target.string());
    }
    AttachedDatabase attached(source, target);
    if (kind == CopyTarget::Fresh) {
        source.Execute("PRAGMA " + std::string(kTargetSchema) + ".journal_mode = OFF; PRAGMA " +
                       std::string(kTargetSchema) + ".synchronous = OFF");
    }
    Transaction transaction(source);
    // Stays first, then the records that belong to them; rows keep their stored order.
    for (const auto& [table, key] : kCopiedTables) {
        const std::string columns = ColumnList(source, table);
        const std::string name = QuoteIdentifier(table);
        std::string sameKey;
        for (std::string_view field : key) {
            if (field.empty()) continue;
            const std::string quoted = QuoteIdentifier(field);
            sameKey += (sameKey.empty() ? "t." : " AND t.") + quoted + " = s." + quoted;
        }
        // Was: INSERT INTO [table] IN 'target' SELECT DISTINCTROW [table].* FROM [table];
        // Rows whose key the target holds already are left out, as that statement did without its failure
        // option. Any other refusal (a value the target cannot hold) fails the copy instead of losing the row.
        // A fresh target holds no rows yet, so there is nothing to leave out.
        std::vector<std::string> conditions;
        if (kind != CopyTarget::Fresh) {
            conditions.push_back("NOT EXISTS (SELECT 1 FROM " + std::string(kTargetSchema) + "." + name +
                                 " AS t WHERE " + sameKey + ")");
        }
        // The export takes only the survey days read from import files.
        if (table == kTissTable && surveyDays == CopiedSurveyDays::ImportedOnly) {
            conditions.push_back("s.\"QUALIFIER\" = '3'");
        }
        std::string where;
        for (const auto& condition : conditions)
            where += (where.empty() ? " WHERE " : " AND ") + condition;
        source.Execute("INSERT INTO " + std::string(kTargetSchema) + "." + name + " (" + columns + ") SELECT " +
                       columns + " FROM main." + name + " AS s" + where + " ORDER BY s.rowid");
    }
    transaction.Commit();
}

}  // namespace kalmora
