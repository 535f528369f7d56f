#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

class Database;
struct Settings;

// The database files of the registered departments, as the admin database names them, without
// blanks; a row without a file is left out.
std::vector<std::string> RegisteredDatabaseFiles(Database& admin);

// Whether `name` in `directory` names a file of the system data directory: the admin database, the
// template, the scratch database, the lock, the diagnostic log or a registered department's
// database. A file the user names (the protocol, an export) must never replace one of them. Throws
// StorageError when the admin database cannot be read.
bool IsSystemDataFile(const Settings& settings, const std::filesystem::path& directory, std::string_view name);

}  // namespace kalmora
