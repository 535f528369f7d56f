#include "storage/Integrity.h"

#include "foundation/Settings.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"
#include "storage/VerifiedFiles.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <system_error>
#include <vector>

namespace kalmora {

namespace {

// A table, index, trigger or view of a schema, with its statement in one line and, for a table, its
// columns.
struct SchemaObject {
    std::string Type;
    std::string Name;
    std::string Table;
    std::string Sql;
    std::vector<std::string> Columns;
};

std::string OneLine(std::string_view sql)
{
    std::string line;
    bool blank = false;
    for (char c : sql) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            blank = !line.empty();
            continue;
        }
        if (blank) line.push_back(' ');
        blank = false;
        line.push_back(c);
    }
    return line;
}

std::vector<std::string> ColumnsOf(Database& database, const std::string& table)
{
    std::vector<std::string> columns;
    auto rows = database.Prepare("SELECT name FROM pragma_table_xinfo(?)");
    rows.BindAll(table);
    while (rows.Step())
        columns.push_back(rows.Text(0));
    return columns;
}

// The objects of the schema in the order they were made; the engine's own are left out.
std::vector<SchemaObject> ObjectsOf(Database& database)
{
    std::vector<SchemaObject> objects;
    auto rows = database.Prepare("SELECT type, name, tbl_name, sql FROM sqlite_schema "
                                 "WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid");
    while (rows.Step())
        objects.push_back({rows.Text(0), rows.Text(1), rows.Text(2), OneLine(rows.Text(3)), {}});
    for (auto& object : objects) {
        if (object.Type == "table") object.Columns = ColumnsOf(database, object.Name);
    }
    return objects;
}

std::vector<SchemaObject> ObjectsOfSchema(std::string_view sql)
{
    Database reference("", OpenMode::Memory);
    reference.Execute(sql);
    return ObjectsOf(reference);
}

// The layouts the program carries, made once from its schema files.
const std::vector<SchemaObject>& ExpectedObjects(DatabaseKind kind)
{
    static const std::vector<SchemaObject> admin = ObjectsOfSchema(AdminSchemaSql());
    static const std::vector<SchemaObject> department = ObjectsOfSchema(DepartmentSchemaSql());
    return kind == DatabaseKind::Admin ? admin : department;
}

// What the admin database gains on first use: checked where it is there.
const std::vector<SchemaObject>& OptionalObjects(DatabaseKind kind)
{
    static const std::vector<SchemaObject> admin = ObjectsOfSchema(VerifiedFilesSchemaSql());
    static const std::vector<SchemaObject> none;
    return kind == DatabaseKind::Admin ? admin : none;
}

std::string KindText(const SchemaObject& object)
{
    if (object.Type == "table") return "die Tabelle " + object.Name;
    if (object.Type == "index") return "der Index " + object.Name;
    if (object.Type == "trigger") return "der Trigger " + object.Name;
    return "die Sicht " + object.Name;
}

// How an object differs from the expected one; empty where it does not. For a table the columns come
// first: that is what the IT needs to know.
std::string Difference(const SchemaObject& expected, const SchemaObject& present)
{
    if (present.Table == expected.Table && present.Sql == expected.Sql) return {};
    const auto missingFrom = [](const std::vector<std::string>& columns, const std::string& column) {
        return std::find(columns.begin(), columns.end(), column) == columns.end();
    };
    for (const auto& column : expected.Columns) {
        if (missingFrom(present.Columns, column))
            return "in der Tabelle " + expected.Name + " fehlt die Spalte " + column;
    }
    for (const auto& column : present.Columns) {
        if (missingFrom(expected.Columns, column)) {
            return "die Tabelle " + expected.Name + " hat die unerwartete Spalte " + column;
        }
    }
    return KindText(expected) + " hat nicht den erwarteten Aufbau";
}

std::string SchemaProblem(Database& database, DatabaseKind kind)
{
    const auto objects = ObjectsOf(database);
    const auto find = [](const std::vector<SchemaObject>& list, const SchemaObject& object) {
        return std::find_if(list.begin(), list.end(), [&object](const SchemaObject& candidate) {
            return candidate.Type == object.Type && candidate.Name == object.Name;
        });
    };
    for (const auto& expected : ExpectedObjects(kind)) {
        const auto present = find(objects, expected);
        if (present == objects.end()) return "es fehlt " + KindText(expected);
        if (auto difference = Difference(expected, *present); !difference.empty()) return difference;
    }
    for (const auto& present : objects) {
        if (find(ExpectedObjects(kind), present) != ExpectedObjects(kind).end()) continue;
        const auto optional = find(OptionalObjects(kind), present);
        if (optional == OptionalObjects(kind).end()) return "unerwartet ist " + KindText(present);
        if (auto difference = Difference(*optional, present); !difference.empty()) return difference;
    }
    return {};
}

// A template holds no row: whatever it holds would appear in every department made from it.
std::string RowsInTemplate(Database& database)
{
    for (const auto& object : ExpectedObjects(DatabaseKind::Template)) {
        if (object.Type != "table") continue;
        auto any = database.Prepare("SELECT 1 FROM " + QuoteIdentifier(object.Name) + " LIMIT 1");
        if (any.Step()) return "die Vorlage enthält Datensätze in der Tabelle " + object.Name;
    }
    return {};
}

// The engine's full check: quick_check would miss an index entry that no longer matches its row,
// and that is the damage that carries on into new files.
std::string EngineProblem(Database& database)
{
    auto check = database.Prepare("PRAGMA integrity_check(1)");
    if (!check.Step()) return "keine Antwort der Prüfung";
    // The engine names the damage in English; the user reads that the file is damaged.
    return check.Text(0) == "ok" ? std::string() : std::string("Tabellen oder Indizes sind fehlerhaft");
}

std::string ProblemOfFile(const Settings& settings, const std::filesystem::path& file, DatabaseKind kind)
{
    if (!EntryExists(file) && !EntryExists(PreviousDatabaseOf(file))) {
        return "Datei nicht gefunden";
    }
    try {
        Database database = OpenForReading(settings, file);
        return FirstProblem(database, kind);
    } catch (const LockedError&) {
        throw;
    } catch (const StorageError& error) {
        return error.what();
    }
}

// The previous file beside a department database: settled under the lock where it can be, named
// where it cannot. While another run holds the lock, it may be that run's own.
std::optional<IntegrityFinding> UnsettledPrevious(const Settings& settings, const std::filesystem::path& file)
{
    const auto previous = PreviousDatabaseOf(file);
    if (!EntryExists(previous)) return std::nullopt;
    try {
        const ExclusiveLock lock(SystemDataLockFile(settings));
    } catch (const LockedError&) {
        return std::nullopt;
    }
    if (!EntryExists(previous)) return std::nullopt;
    return IntegrityFinding{previous, UnsettledPreviousText(file)};
}

}  // namespace

std::string FirstProblem(Database& database, DatabaseKind kind)
{
    try {
        if (auto problem = EngineProblem(database); !problem.empty()) return problem;
        if (auto problem = SchemaProblem(database, kind); !problem.empty()) return problem;
        if (kind == DatabaseKind::Template) return RowsInTemplate(database);
        return {};
    } catch (const StorageError& error) {
        return error.what();
    }
}

void CheckDatabase(Database& database, DatabaseKind kind)
{
    const std::string problem = FirstProblem(database, kind);
    if (problem.empty()) return;
    throw StorageError("Die Datenbank " + database.Path().filename().string() + " ist beschädigt (" + problem +
                       "); sie wird nicht verwendet.");
}

void VerifyDatabase(Database& admin, Database& database, DatabaseKind kind)
{
    const std::string name = database.Path().filename().string();
    VerifiedFiles verified(admin);
    const auto before = VersionOf(database.Path());
    if (before && verified.Remembered(name) == before) return;
    try {
        CheckDatabase(database, kind);
    } catch (const StorageError&) {
        verified.Forget(name);
        throw;
    }
    // A file that changed while it was checked is checked again next time.
    if (before && VersionOf(database.Path()) == before) verified.Remember(name, *before);
}

std::vector<IntegrityFinding> CheckInstallation(const Settings& settings)
{
    const auto adminFile = DataFilePath(settings.SystemDataPath, kAdminDatabaseFile);
    const auto templateFile = DataFilePath(settings.SystemDataPath, kTemplateDatabaseFile);
    std::vector<IntegrityFinding> findings{
        {adminFile, ProblemOfFile(settings, adminFile, DatabaseKind::Admin)},
        {templateFile, ProblemOfFile(settings, templateFile, DatabaseKind::Template)}};
    std::vector<std::string> departmentFiles;
    {
        Database admin = OpenForReading(settings, adminFile);
        auto rows =
            admin.Prepare("SELECT \"MDB_DATEI\" FROM " + QuoteIdentifier(kDepartmentsTable) + " ORDER BY rowid");
        while (rows.Step())
            departmentFiles.push_back(rows.Text(0));
    }
    for (const auto& name : departmentFiles) {
        const auto first = name.find_first_not_of(' ');
        const auto last = name.find_last_not_of(' ');
        if (first == std::string::npos) {
            findings.push_back({"(ohne Datenbankdatei)", "keine Datenbankdatei eingetragen"});
            continue;
        }
        const auto file = DataFilePath(settings.SystemDataPath, name.substr(first, last - first + 1));
        findings.push_back({file, ProblemOfFile(settings, file, DatabaseKind::Department)});
        if (auto previous = UnsettledPrevious(settings, file)) findings.push_back(std::move(*previous));
    }
    return findings;
}

}  // namespace kalmora
