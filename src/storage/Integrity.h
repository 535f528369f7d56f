#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kalmora {

class Database;
struct Settings;

// Checks the whole file (every page, every index against its table) and throws StorageError with a
// German text that names the file and its first problem. A damaged department database must never be
// copied on, exported or written: a key changed on disk would live on in every later file.
void CheckDatabaseIntegrity(Database& database);

// The result of checking one file of an installation; an empty Problem means the file is sound.
struct IntegrityFinding {
    std::filesystem::path File;
    std::string Problem;
};

// Checks the admin database and every registered department's database, in the admin database's
// order. Throws StorageError when the admin database cannot be opened at all.
std::vector<IntegrityFinding> CheckInstallation(const Settings& settings);

}  // namespace kalmora
