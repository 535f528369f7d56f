#pragma once

#include <filesystem>
#include <string_view>

namespace kalmora {

struct Settings;

// Whether `name` in `directory` names a file of the system data directory: the admin database, the
// template, the scratch database, the lock, the diagnostic log or a registered department's
// database. A file the user names (the protocol, an export) must never replace one of them. Throws
// StorageError when the admin database cannot be read.
bool IsSystemDataFile(const Settings& settings, const std::filesystem::path& directory, std::string_view name);

}  // namespace kalmora
