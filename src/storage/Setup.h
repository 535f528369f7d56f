#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kalmora {

struct SetupReport {
    std::vector<std::filesystem::path> Created;
    std::vector<std::filesystem::path> Kept;  // already there, left unchanged but for their rights
    // What set-up makes whose rights it could not set (another user's), with the reason.
    struct RightsNotSetEntry {
        std::filesystem::path Path;
        std::string Reason;
    };
    std::vector<RightsNotSetEntry> RightsNotSet;
    // Files and folders of an existing installation, other than those set-up makes, that users outside
    // the owner and the group may read, write or enter: told, not changed.
    std::vector<std::filesystem::path> OpenToOthers;
};

// Prepares a working installation under `directory`: the folders system, import and export, the
// settings file `settingsFile` (survey period = the calendar year `year`), the admin database with
// an empty department list and the reference names from `referenceDirectory` (hospitals.csv,
// departments.csv), and the empty department template. Existing files are never overwritten. What it
// makes has the rights of a shared installation (platform::ShareWithGroup), whatever the umask, and
// so has what it would have made where that exists already. It takes the system data lock, which
// clears what a killed set-up left. Throws LockedError while another run holds the lock.
// Throws SettingsPathError, with nothing made, when the directories are too long for the settings file.
SetupReport SetupInstallation(const std::filesystem::path& directory, const std::filesystem::path& settingsFile,
                              const std::filesystem::path& referenceDirectory, int year);

}  // namespace kalmora
