#include "foundation/Settings.h"

#include "foundation/IniFile.h"
#include "foundation/Platform.h"
#include "foundation/Utf8Path.h"

#include <cstdlib>
#include <exception>
#include <optional>
#include <system_error>
#include <utility>

namespace kalmora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMessageTitle = "Kalmora";
constexpr std::string_view kReadFailure = "Probleme beim Lesen der 'ini'-Datei!";
constexpr std::string_view kWriteFailure = "Probleme beim Schreiben der 'ini'-Datei!";

// The settings file in the program directory; a full path can't name one there.
std::optional<fs::path> ProgramDirectoryFile(const SettingsFile& file)
{
    const fs::path name = PathFromUtf8(file.SettingsFileName);
    if (name.empty() || IsFullPath(name) || file.ProgramDirectory.empty()) return std::nullopt;
    return file.ProgramDirectory / name;
}

// Where the lookup continues: a full path as it stands, a bare name in the user's directory.
std::optional<fs::path> FallbackFile(const SettingsFile& file)
{
    const fs::path name = PathFromUtf8(file.SettingsFileName);
    if (name.empty()) return std::nullopt;
    if (IsFullPath(name)) return name;
    if (file.UserConfigDirectory.empty()) return std::nullopt;
    return file.UserConfigDirectory / name;
}

}  // namespace

std::optional<fs::path> ExistingSettingsFile(const SettingsFile& file)
{
    for (const auto& candidate : {ProgramDirectoryFile(file), FallbackFile(file)}) {
        std::error_code error;
        if (candidate && fs::exists(*candidate, error)) return candidate;
    }
    return std::nullopt;
}

std::optional<fs::path> NewSettingsFilePath(const SettingsFile& file)
{
    return FallbackFile(file);
}

namespace {

// The file the next start will read back: the one the reads used, else the first that exists,
// else a new one at the end of the lookup.
std::optional<fs::path> WriteTarget(const SettingsFile& file)
{
    if (!file.LastReadFile.empty()) return file.LastReadFile;
    if (auto existing = ExistingSettingsFile(file)) return existing;
    return NewSettingsFilePath(file);
}

}  // namespace

bool IsSet(const FixedText<1>& flag)
{
    return flag == "J";
}

bool StrictChecks(const Settings& settings)
{
    return settings.PlausLevel == "Error  ";
}

fs::path ProgramDirectoryOfProcess()
{
    return platform::ExecutableDirectory();
}

fs::path DataDirectoryOf(const fs::path& programDirectory)
{
    if (programDirectory.empty()) return {};
    return (programDirectory / ".." / "share" / "kalmora").lexically_normal();
}

fs::path UserConfigDirectoryFor(const char* xdgConfigHome, const char* home)
{
    // A relative XDG_CONFIG_HOME is invalid and to be ignored.
    if (xdgConfigHome != nullptr && fs::path(xdgConfigHome).is_absolute()) return fs::path(xdgConfigHome) / "kalmora";
    if (home != nullptr && *home != '\0') return fs::path(home) / ".config" / "kalmora";
    return {};
}

SettingsFile SettingsFileForProcess()
{
    SettingsFile file;
    file.ProgramDirectory = ProgramDirectoryOfProcess();
    const fs::path systemFolder = platform::UserSettingsFolder();
    file.UserConfigDirectory = systemFolder.empty()
                                   ? UserConfigDirectoryFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"))
                                   : systemFolder / "kalmora";
    return file;
}

std::string CommandLineFromArguments(const std::vector<std::string>& arguments)
{
    std::string commandLine;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) commandLine += ' ';
        commandLine += arguments[i];
    }
    return commandLine;
}

std::string SettingsFileNameFromCommandLine(std::string_view commandLine)
{
    const auto trimmed = TrimBlanks(commandLine);
    if (trimmed.empty() || !commandLine.starts_with("/i:")) return std::string(kDefaultSettingsFileName);
    // The option starts the untrimmed line, so the trimmed one holds the name from its fourth character.
    return std::string(TrimBlanks(trimmed.substr(3)));
}

std::string WithoutTrailingSeparator(std::string_view directory)
{
    const auto length = TrimBlanks(directory).size();
    // A root of one separator keeps it: without it nothing would be left, and nothing is no directory.
    if (length > 1 && (directory[length - 1] == '\\' || directory[length - 1] == '/')) {
        return std::string(directory.substr(0, length - 1));
    }
    return std::string(directory);
}

std::optional<fs::path> HeldDirectoryPath(std::string_view held)
{
    if (TrimBlanks(held).empty()) return std::nullopt;
    // A drive is held without its separator ("C:"), which alone would name the drive's current folder.
    const bool drive = held.size() == 2 && held[1] == ':';
    fs::path path;
    try {
        path = PathFromUtf8(drive ? std::string(held) + "\\" : std::string(held));
    } catch (const std::exception&) {
        return std::nullopt;  // no text of a file name on this system
    }
    if (!IsFullPath(path)) return std::nullopt;
    return path;
}

fs::path DataFilePath(std::string_view directory, std::string_view fileName)
{
    const auto base = HeldDirectoryPath(directory);
    if (!base) {
        throw SettingsPathError("Ein Verzeichnis der Einstellungsdatei ist leer, konnte nicht gelesen werden oder ist "
                                "kein vollständiger Pfad (\"" +
                                std::string(directory) + "\"); dort wird nichts gelesen oder geschrieben.");
    }
    return *base / PathFromUtf8(fileName).relative_path();
}

std::string ReadIniValue(SettingsFile& file, UserInterface& ui, std::string_view section, std::string_view key)
{
    try {
        file.SettingsDirectory = WithoutTrailingSeparator(Utf8Of(file.ProgramDirectory));
        const auto first = ProgramDirectoryFile(file);
        if (first) {
            if (auto value = ReadProfileString(*first, section, key)) {
                file.LastReadFile = *first;
                return std::move(*value);
            }
        }
        file.SettingsDirectory.clear();
        const auto fallback = FallbackFile(file);
        if (fallback) {
            if (auto value = ReadProfileString(*fallback, section, key)) {
                file.LastReadFile = *fallback;
                return std::move(*value);
            }
        }
        return std::string(kUnknownSetting);
    } catch (const std::exception&) {
        ui.ShowMessage(kReadFailure, kMessageTitle, MessageIcon::Critical, MessageButtons::Ok);
        return {};
    }
}

std::int16_t WriteIniValue(SettingsFile& file, UserInterface& ui, std::string_view section, std::string_view key,
                           std::string_view value)
{
    try {
        const auto target = WriteTarget(file);
        if (!target) throw IniFileError("Kein Ort für die Einstellungsdatei " + file.SettingsFileName);
        WriteProfileString(*target, section, key, value);
        return 1;
    } catch (const std::exception&) {
        ui.ShowMessage(kWriteFailure, kMessageTitle, MessageIcon::Critical, MessageButtons::Ok);
        return 0;
    }
}

std::optional<std::string> PathTooLongForSettings(std::string_view path)
{
    if (CharacterCount(path) <= kMaxProfileValueLength) return std::nullopt;
    return "Der Pfad ist zu lang: ein Eintrag der Einstellungsdatei fasst höchstens " +
           std::to_string(kMaxProfileValueLength) + " Zeichen (" + std::string(path) + ").";
}

std::optional<std::string> RelativePathText(std::string_view key, std::string_view directory)
{
    if (TrimBlanks(directory).empty()) {
        return "Der Pfad " + std::string(key) +
               " der Einstellungsdatei ist leer oder konnte nicht gelesen werden; bitte dort einen vollständigen "
               "Pfad eintragen.";
    }
    if (HeldDirectoryPath(directory)) return std::nullopt;
    return "Der Pfad " + std::string(key) + "=" + std::string(directory) +
           " der Einstellungsdatei ist kein vollständiger Pfad; bitte dort einen vollständigen Pfad "
           "eintragen.";
}

void RequireFullPath(std::string_view key, std::string_view directory)
{
    if (auto refusal = RelativePathText(key, directory)) throw SettingsPathError(*refusal);
}

void LoadSettings(SettingsFile& file, UserInterface& ui, Settings& settings)
{
    settings.ImportDataPath = ReadIniValue(file, ui, kPathSection, "ImportDataPath");
    settings.ExportDataPath = ReadIniValue(file, ui, kPathSection, "ExportDataPath");
    settings.SystemDataPath = ReadIniValue(file, ui, kPathSection, "SystemDataPath");
    settings.PlausLevel = ReadIniValue(file, ui, kPlausibilitySection, "PlausLevel");
    settings.Erhebungvon = ReadIniValue(file, ui, kClassificationSection, "Erhebungvon");
    settings.Erhebungbis = ReadIniValue(file, ui, kClassificationSection, "Erhebungbis");
    settings.MindestStd = ReadIniValue(file, ui, kClassificationSection, "MindestStd");
    settings.MehrfachTISS = ReadIniValue(file, ui, kClassificationSection, "MehrfachTISS");
    settings.ErsatzTISS = ReadIniValue(file, ui, kClassificationSection, "ErsatzTISS");

    for (auto* directory : {&settings.ImportDataPath, &settings.ExportDataPath, &settings.SystemDataPath}) {
        *directory = WithoutTrailingSeparator(*directory);
    }
}

void WriteSettingsFile(const fs::path& file, const Settings& settings)
{
    // Reading trims blanks and tabs and cuts long values, so a value with them at its ends (a tab
    // where a fixed width cut a value) or a longer one would load as other settings: refused instead.
    auto checked = [&file](std::string_view key, std::string_view value) {
        if (value != TrimBlanks(value) || value.starts_with('\t') || value.ends_with('\t') ||
            CharacterCount(value) > kMaxProfileValueLength) {
            throw IniFileError("Der Wert \"" + std::string(value) + "\" von " + std::string(key) +
                               " würde aus der Einstellungsdatei " + Utf8Of(file) +
                               " anders gelesen, als er geschrieben wird.");
        }
        return std::pair<std::string, std::string>(key, value);
    };
    auto text = [&checked](std::string_view key, std::string_view value) { return checked(key, TrimBlanks(value)); };
    WriteProfileFile(file, {
                               {std::string(kPathSection),
                                {checked("ImportDataPath", settings.ImportDataPath),
                                 checked("ExportDataPath", settings.ExportDataPath),
                                 checked("SystemDataPath", settings.SystemDataPath)}},
                               {std::string(kPlausibilitySection), {text("PlausLevel", settings.PlausLevel)}},
                               {std::string(kClassificationSection),
                                {text("Erhebungvon", settings.Erhebungvon), text("Erhebungbis", settings.Erhebungbis),
                                 text("MindestStd", settings.MindestStd), text("MehrfachTISS", settings.MehrfachTISS),
                                 text("ErsatzTISS", settings.ErsatzTISS)}},
                           });
}

}  // namespace kalmora
