#pragma once

#include "foundation/FixedText.h"
#include "foundation/UserInterface.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {

inline constexpr std::string_view kDefaultSettingsFileName = "Kalmora11_0.ini";
// What a read yields for a key that is missing or empty; there are no built-in defaults.
inline constexpr std::string_view kUnknownSetting = "unknown";

inline constexpr std::string_view kPathSection = "Path";
inline constexpr std::string_view kPlausibilitySection = "Plausibilitaet";
inline constexpr std::string_view kClassificationSection = "Einstufung";

// The settings as loaded at start-up. Directories are held without a trailing separator.
struct Settings {
    std::string ImportDataPath;
    std::string ExportDataPath;
    std::string SystemDataPath;
    FixedText<7> PlausLevel;
    FixedText<8> Erhebungvon;
    FixedText<8> Erhebungbis;
    FixedText<2> MindestStd;
    FixedText<1> MehrfachTISS;
    FixedText<1> ErsatzTISS;
};

// A "J"/"N" flag counts as set only when it holds "J".
bool IsSet(const FixedText<1>& flag);

// True when the plausibility level asks for the strict checks ("Error").
bool StrictChecks(const Settings& settings);

// Where the settings file is looked for and which file the reads found.
struct SettingsFile {
    // A bare name or a full path.
    std::string SettingsFileName = std::string(kDefaultSettingsFileName);
    // The directory in which the last ReadIniValue found its value; "" when it had to look further.
    std::string SettingsDirectory;
    // Looked in first (for a name that is not a full path).
    std::filesystem::path ProgramDirectory;
    // Looked in next for a bare name, and where a settings file that exists nowhere is created.
    std::filesystem::path UserConfigDirectory;
    // The file in which the last successful ReadIniValue found its value; WriteIniValue writes there.
    std::filesystem::path LastReadFile;
};

// The directory of the running executable, or an empty path when it can't be determined.
std::filesystem::path ProgramDirectoryOfProcess();

// The shipped data (reference lists, translations) of a program in `programDirectory`:
// "../share/kalmora" from it, which holds for an installation (bin/) and a build folder (src/)
// alike. Empty when the program directory is unknown.
std::filesystem::path DataDirectoryOf(const std::filesystem::path& programDirectory);

// "$XDG_CONFIG_HOME/kalmora", else "$HOME/.config/kalmora"; empty when neither is usable.
// Takes the variables' values (null when unset) so that callers and tests decide where they come from.
std::filesystem::path UserConfigDirectoryFor(const char* xdgConfigHome, const char* home);

// Default file name, this process's program directory and the user's configuration directory.
SettingsFile SettingsFileForProcess();

// The program's arguments (after its name) as one command line, separated by blanks.
std::string CommandLineFromArguments(const std::vector<std::string>& arguments);

// The settings file named by a command line that starts with "/i:" (case-sensitive), the default
// name otherwise. Everything after the option, trimmed, is the name.
std::string SettingsFileNameFromCommandLine(std::string_view commandLine);

// The directory without one trailing "\" or "/" (so a drive root is held as "C:"); a root of one
// separator ("/") stays as it is.
std::string WithoutTrailingSeparator(std::string_view directory);

// The folder that a directory held without its trailing separator names, as a full path ("C:" is
// the drive's root); nothing when the value is empty (a key that could not be read) or relative
// (such as "unknown" of a missing key): such a value is never a folder.
std::optional<std::filesystem::path> HeldDirectoryPath(std::string_view held);

// A file in a directory that is held without its trailing separator. The name always stays inside
// the directory, as the joined text did. Throws SettingsPathError when the directory is empty or
// relative, so that nothing is ever read or written relative to the root or the working directory.
std::filesystem::path DataFilePath(std::string_view directory, std::string_view fileName);

// The settings file the reads would use: the first place looked in that holds a file; nothing when
// there is none (a first start).
std::optional<std::filesystem::path> ExistingSettingsFile(const SettingsFile& file);

// Where a settings file that exists nowhere is to be created so that the next start reads it: the
// named file itself for a full path, the user's configuration directory for a bare name; nothing
// when there is no such place.
std::optional<std::filesystem::path> NewSettingsFilePath(const SettingsFile& file);

// The value of one key: looked up in the program directory first, then as a bare name in the user's
// configuration directory or as the full path. "unknown" when found nowhere; "" after a failure,
// which is shown to the user.
std::string ReadIniValue(SettingsFile& file, UserInterface& ui, std::string_view section, std::string_view key);

// Writes one key into the file the last successful read used (or into the file that exists, or a new
// one where the next start looks for it). Returns 1, or 0 after a failure, which is shown to the user.
std::int16_t WriteIniValue(SettingsFile& file, UserInterface& ui, std::string_view section, std::string_view key,
                           std::string_view value);

// The German refusal for a path longer than a settings value can hold (it would be cut when read
// back), or nothing when it fits.
std::optional<std::string> PathTooLongForSettings(std::string_view path);

// A run refused because the settings give a directory it works in as a relative path.
class SettingsPathError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The German refusal for a directory held for `key` as a relative path or as nothing (a value that
// could not be read), or nothing when it is a full one: a run would otherwise work in whatever the
// current directory happens to be, or in the root.
std::optional<std::string> RelativePathText(std::string_view key, std::string_view directory);

// Throws SettingsPathError with RelativePathText when the directory is relative.
void RequireFullPath(std::string_view key, std::string_view directory);

// Reads all nine settings in their fixed order and removes the directories' trailing separators.
void LoadSettings(SettingsFile& file, UserInterface& ui, Settings& settings);

// Writes a complete new settings file with all nine keys, which load back as they are held. Throws
// IniFileError on failure, and for a value that would load as another (blanks or tabs at its ends,
// more than 254 characters).
void WriteSettingsFile(const std::filesystem::path& file, const Settings& settings);

}  // namespace kalmora
