#pragma once

#include "foundation/Settings.h"
#include "foundation/UserInterface.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What happens before an import run writes anything, shared by the import dialog and the batch tool.
namespace kalmora {

inline constexpr std::string_view kDefaultProtocolFileName = "protocol.dat";

enum class ImportStart {
    Go,                  // every check passed and every question was answered Yes
    Stop,                // stopped; nothing was written
    StopAtProtocolName,  // stopped because of the protocol file; its name is where the user goes on
};

// The checks and questions before a run, in their order: the number of files (Notice::NoFileSelected
// for none, Notice::TooManyFiles for more than 1000), a protocol name that leaves the export directory
// (Notice::InvalidFileName), the overwriting of an existing protocol that is not empty
// (Question::OverwriteProtocol), the initialising of the departments (Question::InitialiseDepartments)
// and the protocol's name (Notice::InvalidFileName when CheckShortFileName fails).
ImportStart CheckImportStart(std::size_t fileCount, std::string_view protocolFileName, bool initialiseDepartment,
                             const Settings& settings, UserInterface& ui);

// Where the import dialog opens its lists: the import directory when it can be listed. Otherwise
// the system data directory becomes the import directory, in the settings and in the settings file;
// when that can't be listed either, nothing is changed and there is no directory to open.
std::optional<std::filesystem::path> OpenImportDirectory(Settings& settings, SettingsFile& file, UserInterface& ui);

// The names of the files a directory offers for import, in the order of the file list: visible
// regular files, by name regardless of case. Empty when the directory can't be listed.
std::vector<std::string> ImportFileEntries(const std::filesystem::path& directory);

// Whether the directory exists, is given by a full path and its entries can be listed.
bool ImportDirectoryAvailable(const std::filesystem::path& directory);

}  // namespace kalmora
