#pragma once

#include "storage/Setup.h"

#include <filesystem>

namespace kalmora {

// Sets up an installation in `directory` as the batch tool's `setup` does, for a program started
// without a settings file; the settings file goes to `settingsFile`, whose folders are created as
// needed. A directory that is not a full path is refused: it would depend on where the program was
// started. Should anything fail, whatever this call made is removed again before the failure is
// thrown on, so that another attempt, or the next start, finds everything as it was.
SetupReport SetUpFirstInstallation(const std::filesystem::path& directory, const std::filesystem::path& settingsFile,
                                   const std::filesystem::path& referenceDirectory, int year);

}  // namespace kalmora
