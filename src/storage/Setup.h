#pragma once

#include <filesystem>
#include <vector>

namespace kalmora {

struct SetupReport {
    std::vector<std::filesystem::path> Created;
    std::vector<std::filesystem::path> Kept;  // already there, left unchanged
    // Files and folders of an existing installation that users outside the owner and the group may
    // read, write or enter: told, not changed.
    std::vector<std::filesystem::path> OpenToOthers;
};

// Prepares a working installation under `directory`: the folders system, import and export, the
// settings file `settingsFile` (survey period = the calendar year `year`), the admin database with
// an empty department list and the reference names from `referenceDirectory` (hospitals.csv,
// departments.csv), and the empty department template. Existing files are never overwritten. What it
// makes is open to its owner and group only, whatever the umask.
// Throws SettingsPathError, with nothing made, when the directories are too long for the settings file.
SetupReport SetupInstallation(const std::filesystem::path& directory, const std::filesystem::path& settingsFile,
                              const std::filesystem::path& referenceDirectory, int year);

}  // namespace kalmora
