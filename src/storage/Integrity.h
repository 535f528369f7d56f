#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kalmora {

class Database;
struct Settings;

// What a database file of the program is, and so which layout the check expects of it.
enum class DatabaseKind {
    Admin,       // the admin database (tables it gains on first use may be missing)
    Department,  // a department database, or a combined export
    Template,    // the empty department template: the department layout and no row at all
};

// The first problem of the open database: the engine's full check (every page, every index against
// its table), then its tables, columns, indexes and triggers against the schema the program carries,
// and for the template that it holds no row. Empty for a sound file. A damaged database must never be
// copied on, exported or written: a key changed on disk would live on in every later file, and a
// file of another layout (another database copied over it, an empty file) would be taken for empty.
std::string FirstProblem(Database& database, DatabaseKind kind);

// Throws StorageError with a German text that names the file and its first problem.
void CheckDatabase(Database& database, DatabaseKind kind);

// Checks the open database `database` in full unless `admin` remembers its present version as sound,
// and remembers it after a check it passes; a file that fails is forgotten. The caller holds the
// system data lock (it writes the admin database) and reads `database` only through the engine.
void VerifyDatabase(Database& admin, Database& database, DatabaseKind kind);

// The result of checking one file of an installation; an empty Problem means the file is sound.
struct IntegrityFinding {
    std::filesystem::path File;
    std::string Problem;
};

// Checks the admin database, the template and every registered department's database in full, in
// the admin database's order, and names a department's previous database that a killed import left.
// Throws StorageError when the admin database cannot be opened at all.
std::vector<IntegrityFinding> CheckInstallation(const Settings& settings);

}  // namespace kalmora
