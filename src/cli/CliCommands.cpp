#include "cli/CliCommands.h"

#include "cli/ConsoleUserInterface.h"
#include "foundation/Settings.h"
#include "storage/Database.h"
#include "storage/ReferenceData.h"
#include "storage/Schema.h"
#include "storage/Setup.h"

#include <map>
#include <optional>
#include <stdexcept>

namespace kalmora::cli {

namespace {

constexpr std::string_view kUsage =
    "Aufruf: kalmora-cli [--ini DATEI] BEFEHL ...\n"
    "\n"
    "Befehle:\n"
    "  setup VERZEICHNIS [--reference VERZEICHNIS]\n"
    "      Legt system, import, export, die Einstellungsdatei, die Verwaltungsdatenbank\n"
    "      und die Vorlage an. Vorhandene Dateien bleiben unverändert.\n"
    "  load-reference --hospitals DATEI.csv --departments DATEI.csv\n"
    "      Ersetzt die Krankenhaus- und Abteilungsbezeichnungen der Verwaltungsdatenbank.\n"
    "  settings\n"
    "      Zeigt die geladenen Einstellungen.\n"
    "\n"
    "--ini DATEI  Einstellungsdatei (Vorgabe: Kalmora11_0.ini im Programmverzeichnis\n"
    "             oder im Konfigurationsverzeichnis des Benutzers)\n";

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments of one command: positional words and "--name value" options.
struct CommandLine {
    std::optional<std::string> IniFile;
    std::string Command;
    std::vector<std::string> Words;
    std::map<std::string, std::string> Options;

    std::string Option(const std::string& name) const
    {
        const auto found = Options.find(name);
        if (found == Options.end()) throw UsageError("Die Angabe --" + name + " fehlt.");
        return found->second;
    }
};

CommandLine Parse(const std::vector<std::string>& arguments)
{
    CommandLine parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.starts_with("--")) {
            if (i + 1 >= arguments.size()) throw UsageError("Zu " + argument + " fehlt der Wert.");
            const std::string name = argument.substr(2);
            const std::string& value = arguments[++i];
            if (name == "ini" && parsed.Command.empty()) {
                parsed.IniFile = value;
            } else if (!parsed.Options.emplace(name, value).second) {
                throw UsageError(argument + " ist mehrfach angegeben.");
            }
        } else if (parsed.Command.empty()) {
            parsed.Command = argument;
        } else {
            parsed.Words.push_back(argument);
        }
    }
    return parsed;
}

void ExpectOptions(const CommandLine& line, std::initializer_list<std::string_view> allowed, std::size_t words)
{
    for (const auto& [name, value] : line.Options) {
        bool known = false;
        for (auto candidate : allowed) known = known || candidate == name;
        if (!known) throw UsageError("Unbekannte Angabe --" + name + ".");
    }
    if (line.Words.size() != words) throw UsageError("Falsche Anzahl von Angaben zu " + line.Command + ".");
}

SettingsFile SettingsFileFor(const CommandLine& line)
{
    SettingsFile file = SettingsFileForProcess();
    // A name given here means the file the user sees, relative to the working directory.
    if (line.IniFile) file.SettingsFileName = std::filesystem::absolute(*line.IniFile).string();
    return file;
}

std::filesystem::path ShippedReferenceDirectory(const Environment& environment)
{
    for (const auto& candidate : {environment.ProgramDirectory / "data" / "reference",
                                  environment.ProgramDirectory / ".." / "share" / "kalmora" / "reference",
                                  environment.BuiltInDataDirectory / "reference"}) {
        if (std::filesystem::is_directory(candidate)) return candidate;
    }
    throw std::runtime_error("Die mitgelieferten Referenzdaten wurden nicht gefunden; bitte --reference angeben.");
}

int Setup(const CommandLine& line, const Environment& environment, std::ostream& out)
{
    ExpectOptions(line, {"reference"}, 1);
    const std::filesystem::path directory = std::filesystem::absolute(line.Words.front());
    const std::filesystem::path settingsFile =
        line.IniFile ? std::filesystem::absolute(*line.IniFile) : directory / kDefaultSettingsFileName;
    const std::filesystem::path referenceDirectory = line.Options.contains("reference")
                                                         ? std::filesystem::path(line.Option("reference"))
                                                         : ShippedReferenceDirectory(environment);

    const SetupReport report = SetupInstallation(directory, settingsFile, referenceDirectory, environment.CurrentYear);
    for (const auto& path : report.Created) out << "angelegt:     " << path.string() << '\n';
    for (const auto& path : report.Kept) out << "unverändert:  " << path.string() << '\n';
    return kExitSuccess;
}

Settings LoadedSettings(const CommandLine& line, std::ostream& err)
{
    SettingsFile file = SettingsFileFor(line);
    ConsoleUserInterface ui(err, MessageAnswer::No);
    Settings settings;
    LoadSettings(file, ui, settings);
    return settings;
}

int LoadReference(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {"hospitals", "departments"}, 0);
    const std::filesystem::path hospitals = line.Option("hospitals");
    const std::filesystem::path departments = line.Option("departments");
    const Settings settings = LoadedSettings(line, err);
    const auto admin = DataFilePath(settings.SystemDataPath, kAdminDatabaseFile);
    if (!std::filesystem::is_regular_file(admin)) {
        throw std::runtime_error("Die Verwaltungsdatenbank " + admin.string() + " wurde nicht gefunden.");
    }
    LoadReferenceData(admin, hospitals, departments);
    out << "Referenzdaten geladen: " << admin.string() << '\n';
    return kExitSuccess;
}

int ShowSettings(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {}, 0);
    const Settings settings = LoadedSettings(line, err);
    out << "ImportDataPath=" << settings.ImportDataPath << '\n'
        << "ExportDataPath=" << settings.ExportDataPath << '\n'
        << "SystemDataPath=" << settings.SystemDataPath << '\n'
        << "PlausLevel=" << settings.PlausLevel.str() << '\n'
        << "Erhebungvon=" << settings.Erhebungvon.str() << '\n'
        << "Erhebungbis=" << settings.Erhebungbis.str() << '\n'
        << "MindestStd=" << settings.MindestStd.str() << '\n'
        << "MehrfachTISS=" << settings.MehrfachTISS.str() << '\n'
        << "ErsatzTISS=" << settings.ErsatzTISS.str() << '\n';
    return kExitSuccess;
}

int Dispatch(const CommandLine& line, const Environment& environment, std::ostream& out, std::ostream& err)
{
    if (line.Command == "setup") return Setup(line, environment, out);
    if (line.Command == "load-reference") return LoadReference(line, out, err);
    if (line.Command == "settings") return ShowSettings(line, out, err);
    if (line.Command.empty()) throw UsageError("Es wurde kein Befehl angegeben.");
    throw UsageError("Unbekannter Befehl: " + line.Command);
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, const Environment& environment, std::ostream& out,
           std::ostream& err)
{
    if (arguments.size() == 1 && (arguments.front() == "--help" || arguments.front() == "-h")) {
        out << kUsage;
        return kExitSuccess;
    }
    try {
        return Dispatch(Parse(arguments), environment, out, err);
    } catch (const UsageError& error) {
        err << "kalmora-cli: " << error.what() << "\n\n" << kUsage;
        return kExitUsage;
    } catch (const ReferenceDataError& error) {
        err << "kalmora-cli: Die Referenzdaten sind fehlerhaft; es wurde nichts geändert.\n";
        for (const auto& problem : error.Problems()) err << "  " << problem.Describe() << '\n';
        return kExitFailure;
    } catch (const std::exception& error) {
        err << "kalmora-cli: Fehler: " << error.what() << '\n';
        return kExitFailure;
    }
}

}  // namespace kalmora::cli
