#include "shell/FirstInstallation.h"

#include "foundation/Settings.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"
#include "foundation/Utf8Path.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace kalmora {

namespace fs = std::filesystem;

namespace {

bool Missing(const fs::path& path)
{
    std::error_code error;
    return fs::symlink_status(path, error).type() == fs::file_type::not_found;
}

// `path` and those of its parents that are not there yet.
void AddMissing(const fs::path& path, std::vector<fs::path>& missing)
{
    for (fs::path step = path; !step.empty() && Missing(step); step = step.parent_path()) {
        missing.push_back(step);
        if (step == step.parent_path()) break;
    }
}

// Removes what was missing before the set-up and is there now, the deepest first. Directories go
// only when empty, so nothing that someone else put there is lost.
void RemoveMade(std::vector<fs::path> made)
{
    auto depth = [](const fs::path& path) { return std::distance(path.begin(), path.end()); };
    std::sort(made.begin(), made.end(), [&depth](const fs::path& a, const fs::path& b) { return depth(a) > depth(b); });
    for (const auto& path : made) {
        std::error_code error;
        fs::remove(path, error);
    }
}

}  // namespace

SetupReport SetUpFirstInstallation(const fs::path& directory, const fs::path& settingsFile,
                                   const fs::path& referenceDirectory, int year)
{
    if (directory.empty()) throw SettingsPathError("Bitte einen Ordner angeben.");
    if (!IsFullPath(directory)) {
        throw SettingsPathError("Der Ordner " + directory.string() +
                                " ist kein vollständiger Pfad; bitte einen vollständigen Pfad angeben.");
    }
    const fs::path root = directory.lexically_normal();
    std::vector<fs::path> missing;
    AddMissing(root, missing);
    for (const char* folder : {"system", "import", "export"}) {
        AddMissing(root / folder, missing);
    }
    AddMissing(root / "system" / kAdminDatabaseFile, missing);
    AddMissing(root / "system" / kTemplateDatabaseFile, missing);
    AddMissing(root / "system" / std::string(kLockFileName), missing);
    AddMissing(settingsFile, missing);
    try {
        return SetupInstallation(root, settingsFile, referenceDirectory, year);
    } catch (...) {
        RemoveMade(std::move(missing));
        throw;
    }
}

}  // namespace kalmora
