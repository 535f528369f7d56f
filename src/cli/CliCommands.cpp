#include "cli/CliCommands.h"

#include "analysis/CombinedExport.h"
#include "analysis/DepartmentAnalysis.h"
#include "cli/ConsoleUserInterface.h"
#include "cli/ImportFileGenerator.h"
#include "foundation/Conversions.h"
#include "foundation/FailureText.h"
#include "foundation/Messages.h"
#include "foundation/Platform.h"
#include "foundation/Settings.h"
#include "foundation/Utf8Path.h"
#include "foundation/Version.h"
#include "import/ImportResults.h"
#include "import/ImportRun.h"
#include "import/ImportStart.h"
#include "reports/DepartmentLines.h"
#include "reports/StayLines.h"
#include "scoring/ClassificationList.h"
#include "scoring/ClassificationTable.h"
#include "scoring/DepartmentBaseData.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Integrity.h"
#include "storage/ReferenceData.h"
#include "storage/Schema.h"
#include "storage/Setup.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

namespace kalmora::cli {

namespace {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments of one command: positional words and "--name value" options.
// Options that stand alone, without a value.
const std::set<std::string, std::less<>> kFlags{"initialise", "yes"};

// What the call asks for: a command to run, or only the help or the version, which win over
// everything else on the line so that asking for them never reads settings or takes a lock.
enum class Request { Run, Help, Version };

struct CommandLine {
    std::optional<std::string> IniFile;
    std::string Command;
    std::vector<std::string> Words;
    std::map<std::string, std::string> Options;
    std::set<std::string, std::less<>> Flags;
    Request Asked = Request::Run;

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
    // A repeated option is reported only once the line has been read, since a later --help wins.
    std::optional<UsageError> repeated;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            parsed.Asked = Request::Help;
            return parsed;
        }
        if (argument == "--version") {
            parsed.Asked = Request::Version;
            return parsed;
        }
        if (argument.starts_with("--") && kFlags.contains(argument.substr(2))) {
            parsed.Flags.insert(argument.substr(2));
        } else if (argument.starts_with("--")) {
            if (i + 1 >= arguments.size()) {
                if (repeated) throw *repeated;
                throw UsageError("Zu " + argument + " fehlt der Wert.");
            }
            const std::string name = argument.substr(2);
            const std::string& value = arguments[++i];
            if (name == "ini" && parsed.Command.empty()) {
                parsed.IniFile = value;
            } else if (!parsed.Options.emplace(name, value).second) {
                repeated = UsageError(argument + " ist mehrfach angegeben.");
            }
        } else if (parsed.Command.empty()) {
            parsed.Command = argument;
        } else {
            parsed.Words.push_back(argument);
        }
    }
    if (repeated) throw *repeated;
    return parsed;
}

void ExpectOptions(const CommandLine& line, std::initializer_list<std::string_view> allowed,
                   std::optional<std::size_t> words)
{
    auto check = [&allowed](const std::string& name) {
        for (auto candidate : allowed) {
            if (candidate == name) return;
        }
        throw UsageError("Unbekannte Angabe --" + name + ".");
    };
    for (const auto& [name, value] : line.Options)
        check(name);
    for (const auto& name : line.Flags)
        check(name);
    if (words && line.Words.size() != *words) throw UsageError("Falsche Anzahl von Angaben zu " + line.Command + ".");
}

SettingsFile SettingsFileFor(const CommandLine& line)
{
    SettingsFile file = SettingsFileForProcess();
    // A name given here means the file the user sees, relative to the working directory.
    if (line.IniFile) file.SettingsFileName = Utf8Of(std::filesystem::absolute(PathFromUtf8(*line.IniFile)));
    return file;
}

std::filesystem::path ShippedReferenceDirectory(const Environment& environment)
{
    if (auto found = kalmora::ShippedReferenceDirectory(environment.DataDirectory)) return *found;
    throw std::runtime_error("Die mitgelieferten Referenzdaten wurden nicht gefunden; bitte --reference angeben.");
}

int Setup(const CommandLine& line, const Environment& environment, std::ostream& out)
{
    ExpectOptions(line, {"reference"}, 1);
    const std::filesystem::path directory = std::filesystem::absolute(PathFromUtf8(line.Words.front()));
    const std::filesystem::path settingsFile =
        line.IniFile ? std::filesystem::absolute(PathFromUtf8(*line.IniFile)) : directory / kDefaultSettingsFileName;
    const std::filesystem::path referenceDirectory = line.Options.contains("reference")
                                                         ? PathFromUtf8(line.Option("reference"))
                                                         : ShippedReferenceDirectory(environment);

    const SetupReport report = SetupInstallation(directory, settingsFile, referenceDirectory, environment.CurrentYear);
    for (const auto& path : report.Created)
        out << "angelegt:     " << Utf8Of(path) << '\n';
    for (const auto& path : report.Kept)
        out << "unverändert:  " << Utf8Of(path) << '\n';
    for (const auto& [path, reason] : report.RightsNotSet)
        out << "Rechte nicht gesetzt (" << reason << "): " << Utf8Of(path) << '\n';
    // An existing installation is not changed behind its owner's back: told what to tighten.
    for (const auto& path : report.OpenToOthers)
        out << "für alle Benutzer zugänglich (mit chmod o-rwx einschränken): " << Utf8Of(path) << '\n';
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

// The settings of a command that works on the data: a relative or empty (unreadable) system data
// directory is refused before anything is read there, rather than taken relative to the current
// directory or the root.
Settings RunSettings(const CommandLine& line, std::ostream& err)
{
    Settings settings = LoadedSettings(line, err);
    RequireFullPath("SystemDataPath", settings.SystemDataPath);
    return settings;
}

int LoadReference(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {"hospitals", "departments"}, 0);
    const std::filesystem::path hospitals = PathFromUtf8(line.Option("hospitals"));
    const std::filesystem::path departments = PathFromUtf8(line.Option("departments"));
    const Settings settings = RunSettings(line, err);
    const auto admin = DataFilePath(settings.SystemDataPath, kAdminDatabaseFile);
    if (!std::filesystem::is_regular_file(admin)) {
        throw std::runtime_error("Die Verwaltungsdatenbank " + admin.string() + " wurde nicht gefunden.");
    }
    // Replacing the reference tables must not meet an import or a save of base data half-way.
    const ExclusiveLock lock(SystemDataLockFile(settings));
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

// Progress goes to the error stream only when someone watches it there.
class ImportConsole : public ConsoleUserInterface {
public:
    ImportConsole(std::ostream& err, MessageAnswer answer, bool showProgress)
        : ConsoleUserInterface(err, answer), m_err(err), m_showProgress(showProgress)
    {}
    void SetStatusText(int panel, std::string_view text) override
    {
        if (!m_showProgress || panel != 1) return;
        m_err << '\r' << text << "\x1b[K" << std::flush;
        m_shown = true;
    }
    ~ImportConsole() override
    {
        if (m_shown) m_err << '\n';
    }

private:
    std::ostream& m_err;
    bool m_showProgress;
    bool m_shown = false;
};

std::string WithLineFeeds(std::string text)
{
    for (char& c : text) {
        if (c == '\r') c = '\n';
    }
    return text;
}

int Import(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {"initialise", "protocol", "yes"}, std::nullopt);
    if (line.Words.empty()) throw UsageError("Es wurde keine Importdatei angegeben.");
    const Settings settings = RunSettings(line, err);
    const bool yes = line.Flags.contains("yes");
    const bool initialise = line.Flags.contains("initialise");
    ImportConsole ui(err, yes ? MessageAnswer::Yes : MessageAnswer::No, platform::StandardErrorIsTerminal());

    const std::string protocolName =
        line.Options.contains("protocol") ? line.Option("protocol") : std::string(kDefaultProtocolFileName);
    if (CheckImportStart(line.Words.size(), protocolName, initialise, settings, ui) != ImportStart::Go) {
        return kExitFailure;
    }

    std::vector<std::filesystem::path> files;
    for (const auto& word : line.Words)
        files.push_back(std::filesystem::absolute(PathFromUtf8(word)));
    ImportRun run;
    const bool completed = RunImport(run, files, protocolName, initialise, ImportEnvironment{settings, ui});
    if (!completed) return kExitFailure;
    out << WithLineFeeds(ResultClipboardText(run.ResultRows, run.CurrentFileIndex)) << '\n';
    // Stored files whose findings are in no protocol (only in the file kept beside it) are told apart
    // from a run that stored nothing.
    if (!run.ProtocolFailure.empty()) return run.FilesStored > 0 ? kExitProtocolNotWritten : kExitFailure;
    return AnyFileNotStored(run) ? kExitNotStored : kExitSuccess;
}

std::uint64_t NumberOption(const CommandLine& line, const std::string& name, std::uint64_t fallback)
{
    if (!line.Options.contains(name)) return fallback;
    const std::string text = line.Option(name);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw UsageError("--" + name + " erwartet eine ganze Zahl ohne Vorzeichen, nicht \"" + text + "\".");
    }
    return value;
}

int Generate(const CommandLine& line, std::ostream& out)
{
    ExpectOptions(line, {"hospital", "department", "stays", "seed", "year"}, 1);
    GeneratorOptions options;
    if (line.Options.contains("hospital")) options.Hospital = line.Option("hospital");
    if (line.Options.contains("department")) options.Department = line.Option("department");
    options.Stays = NumberOption(line, "stays", options.Stays);
    options.Seed = NumberOption(line, "seed", options.Seed);
    // Capped before the narrowing; the generator's own check then names the valid years.
    const std::uint64_t year = NumberOption(line, "year", static_cast<std::uint64_t>(options.Year));
    options.Year = static_cast<int>(std::min<std::uint64_t>(year, 9999));
    try {
        ValidateGeneratorOptions(options);
    } catch (const std::invalid_argument& error) {
        throw UsageError(error.what());
    }
    const GeneratedFile file = GenerateImportFile(std::filesystem::absolute(PathFromUtf8(line.Words.front())), options);
    out << Utf8Of(file.Path) << '\n';
    return kExitSuccess;
}

// A department as the user names it, "KANR/ABTEILUNG".
std::pair<std::string, std::string> DepartmentKey(const std::string& word)
{
    const auto slash = word.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == word.size() ||
        word.find('/', slash + 1) != std::string::npos) {
        throw UsageError("Eine Abteilung wird als KANR/ABTEILUNG angegeben, nicht \"" + word + "\".");
    }
    return {word.substr(0, slash), word.substr(slash + 1)};
}

class UnknownDepartment : public std::runtime_error {
public:
    explicit UnknownDepartment(const std::string& key)
        : std::runtime_error("Die Abteilung " + key + " ist nicht angelegt oder hat keine einstufbaren Aufenthalte.")
    {}
};

std::string DateOption(const CommandLine& line, const std::string& name, std::string_view fallback)
{
    const std::string text = line.Options.contains(name) ? line.Option(name) : std::string(fallback);
    const std::string display = NormalizeDateInput(text, "2000");
    if (TrimBlanks(display).empty()) {
        const std::string source = line.Options.contains(name) ? "bei --" + name : "in den Einstellungen";
        throw UsageError("Ungültiges Datum \"" + text + "\" " + source + "; erwartet TT.MM.JJJJ oder JJJJMMTT.");
    }
    return ParseDisplayDate(display, 8);
}

std::string FlagOption(const CommandLine& line, const std::string& name, std::string_view fallback)
{
    if (!line.Options.contains(name)) return std::string(fallback);
    const std::string value = line.Option(name);
    if (value != "J" && value != "N") throw UsageError("--" + name + " erwartet J oder N, nicht \"" + value + "\".");
    return value;
}

int Classify(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {"from", "to", "min-hours", "multiple-tiss", "replacement-tiss"}, std::nullopt);
    std::vector<std::pair<std::string, std::string>> named;
    for (const auto& word : line.Words)
        named.push_back(DepartmentKey(word));
    Settings settings = RunSettings(line, err);
    settings.Erhebungvon = DateOption(line, "from", settings.Erhebungvon.Trimmed());
    settings.Erhebungbis = DateOption(line, "to", settings.Erhebungbis.Trimmed());
    if (line.Options.contains("min-hours")) {
        const std::uint64_t hours = NumberOption(line, "min-hours", 0);
        if (hours > 24) throw UsageError("--min-hours erwartet 0 bis 24.");
        settings.MindestStd = std::to_string(hours);
    }
    settings.MehrfachTISS = FlagOption(line, "multiple-tiss", settings.MehrfachTISS.str());
    settings.ErsatzTISS = FlagOption(line, "replacement-tiss", settings.ErsatzTISS.str());

    ConsoleUserInterface ui(err, MessageAnswer::No);
    // A department whose database cannot be read is named with its reason on standard error, and the
    // run ends with status 2: a script must not take the table for the whole of what it asked for.
    std::vector<std::string> unreadable;
    const std::vector<DepartmentEntry> entries = ClassifiableDepartments(settings, ui, &unreadable);
    bool leftOut = false;
    std::vector<DepartmentEntry> selected;
    if (named.empty()) {
        if (entries.empty() && unreadable.empty()) ShowNotice(ui, Notice::NoDischargedPatients);
        selected = entries;
        leftOut = !unreadable.empty();
    } else {
        std::set<std::string, std::less<>> keys;
        for (const auto& [kanr, abteilung] : named) {
            const std::string key = kanr + "/" + abteilung;
            if (std::find(unreadable.begin(), unreadable.end(), key) != unreadable.end()) {
                leftOut = true;
                continue;
            }
            const bool listed = std::any_of(entries.begin(), entries.end(),
                                            [&key](const DepartmentEntry& entry) { return entry.Key() == key; });
            if (!listed) throw UnknownDepartment(key);
            keys.insert(key);
        }
        // In list order, as the dialog's selection is.
        for (const auto& entry : entries) {
            if (keys.contains(entry.Key())) selected.push_back(entry);
        }
    }
    const auto rows = ClassifyDepartments(selected, settings, ui);
    out << WithLineFeeds(ClassificationClipboardText(rows, ClassificationSettingsOf(settings))) << '\n';
    return rows.size() == selected.size() && !leftOut ? kExitSuccess : kExitFailure;
}

// A DGKP in German form ("12,5") or with a decimal point ("12.5").
std::string GermanDecimal(std::string text)
{
    if (text.find(',') == std::string::npos) std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

int Department(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {"dgkp", "beds", "pre"}, 1);
    const auto [kanr, abteilung] = DepartmentKey(line.Words.front());
    const Settings settings = RunSettings(line, err);
    std::optional<DepartmentEntry> entry;
    {
        // A killed save of base data leaves a journal that a read-only connection cannot play back.
        Database admin = OpenForReading(settings, DataFilePath(settings.SystemDataPath, kAdminDatabaseFile));
        entry = ReadDepartmentEntry(admin, FitToWidth(kanr, 4), FitToWidth(abteilung, 8));
    }
    if (!entry) throw UnknownDepartment(kanr + "/" + abteilung);
    if (line.Options.empty()) {
        out << entry->Text << '\n';
        return kExitSuccess;
    }

    // Only the named fields: the others are read and kept under the lock, so two calls at once
    // that set different fields both take effect.
    BaseDataInput input;
    if (line.Options.contains("dgkp")) input.DgkpText = GermanDecimal(line.Option("dgkp"));
    if (line.Options.contains("beds")) input.BedsText = line.Option("beds");
    if (line.Options.contains("pre")) {
        input.PreClassification = line.Option("pre") == "none" ? "" : line.Option("pre");
    }
    const BaseDataOutcome outcome = SaveDepartmentBaseData(settings, *entry, input);
    if (outcome.ErrorText) throw UsageError(std::string(TrimBlanks(*outcome.ErrorText)));
    if (!outcome.Saved) throw UnknownDepartment(entry->Key());
    out << outcome.Entry.Text << '\n';
    return kExitSuccess;
}

int Departments(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {}, 0);
    const Settings settings = RunSettings(line, err);
    for (const auto& department : ReadDepartmentLines(settings))
        out << department.Text << '\n';
    return kExitSuccess;
}

int Stays(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {}, 1);
    const auto [kanr, abteilung] = DepartmentKey(line.Words.front());
    const std::string key = kanr + "/" + abteilung;
    const Settings settings = RunSettings(line, err);
    const auto departments = ReadDepartmentLines(settings);
    const auto found = std::find_if(departments.begin(), departments.end(),
                                    [&key](const DepartmentLine& department) { return department.Key() == key; });
    if (found == departments.end()) throw std::runtime_error("Die Abteilung " + key + " ist nicht angelegt.");
    for (const auto& stay : ReadStayLines(settings, found->Text))
        out << stay << '\n';
    return kExitSuccess;
}

// The report list's lines of the named departments in list order, each once; all lines when none is
// named.
std::vector<std::string> NamedDepartmentLines(const Settings& settings, const std::vector<std::string>& words)
{
    std::set<std::string, std::less<>> keys;
    for (const auto& word : words) {
        const auto [kanr, abteilung] = DepartmentKey(word);
        keys.insert(kanr + "/" + abteilung);
    }
    const auto departments = ReadDepartmentLines(settings);
    for (const auto& key : keys) {
        const bool listed = std::any_of(departments.begin(), departments.end(),
                                        [&key](const DepartmentLine& department) { return department.Key() == key; });
        if (!listed) throw std::runtime_error("Die Abteilung " + key + " ist nicht angelegt.");
    }
    std::vector<std::string> lines;
    for (const auto& department : departments) {
        if (keys.empty() || keys.contains(department.Key())) lines.push_back(department.Text);
    }
    return lines;
}

int Analyse(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {}, std::nullopt);
    for (const auto& word : line.Words)
        DepartmentKey(word);
    const Settings settings = RunSettings(line, err);
    const auto lines = NamedDepartmentLines(settings, line.Words);
    ConsoleUserInterface ui(err, MessageAnswer::No);
    const auto analyses = AnalyseDepartments(settings, lines, ui);
    out << WithLineFeeds(AnalysisClipboardText(AnalysisRows(analyses))) << '\n';
    return analyses.size() == lines.size() ? kExitSuccess : kExitFailure;
}

int Export(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {"output"}, std::nullopt);
    for (const auto& word : line.Words)
        DepartmentKey(word);
    const Settings settings = RunSettings(line, err);
    const std::string fileName =
        line.Options.contains("output") ? line.Option("output") : std::string(kExportDatabaseFile);
    ConsoleUserInterface ui(err, MessageAnswer::No);
    if (!CheckExportFileName(fileName, ui)) return kExitFailure;
    std::vector<std::string> lines;
    for (const auto& text : NamedDepartmentLines(settings, line.Words))
        lines.push_back(ExportLineText(text));
    ExportDepartments(settings, lines, fileName, ui);
    out << TrimBlanks(kExportSuccessText) << '\n';
    return kExitSuccess;
}

// One line per file for the hospital IT: its path and "ok" or the first problem found.
int Check(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    ExpectOptions(line, {}, 0);
    const Settings settings = RunSettings(line, err);
    bool allSound = true;
    for (const auto& finding : CheckInstallation(settings)) {
        out << finding.File.string() << ": " << (finding.Problem.empty() ? "ok" : finding.Problem) << '\n';
        allSound = allSound && finding.Problem.empty();
    }
    return allSound ? kExitSuccess : kExitFailure;
}

using CommandRun = int (*)(const CommandLine& line, const Environment& environment, std::ostream& out,
                           std::ostream& err);

// One command: its name, what follows the name on its usage line, the lines that describe it and
// what runs it. The overall help and each command's help are both made from this table, so that
// they cannot disagree; every entry is one usage line and indented description lines, a layout a
// script turns into the manual page.
struct CommandSpec {
    std::string_view Name;
    std::string_view Arguments;
    std::string_view Description;
    // Whether the global --ini means anything to it.
    bool TakesSettingsFile;
    CommandRun Run;
};

constexpr CommandSpec kCommands[] = {
    {"setup", "VERZEICHNIS [--reference VERZEICHNIS]",
     "Legt system, import, export, die Einstellungsdatei, die Verwaltungsdatenbank\n"
     "und die Vorlage an. Vorhandene Dateien bleiben unverändert.",
     true,
     [](const CommandLine& line, const Environment& environment, std::ostream& out, std::ostream&) {
         return Setup(line, environment, out);
     }},
    {"load-reference", "--hospitals DATEI.csv --departments DATEI.csv",
     "Ersetzt die Krankenhaus- und Abteilungsbezeichnungen der Verwaltungsdatenbank.", true,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream& err) {
         return LoadReference(line, out, err);
     }},
    {"settings", "", "Zeigt die geladenen Einstellungen.", true,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream& err) {
         return ShowSettings(line, out, err);
     }},
    {"import", "[--initialise] [--protocol NAME] [--yes] DATEI...",
     "Importiert die Dateien mit einem Protokoll NAME (Vorgabe protocol.dat) im\n"
     "Exportverzeichnis und gibt die Ergebnistabelle aus. --initialise löscht vorher\n"
     "die gespeicherten Daten der Abteilungen; dies und das Überschreiben eines\n"
     "bestehenden Protokolls verlangen --yes. Rückgabewert 3: der Import ist\n"
     "durchgelaufen, aber eine Datei konnte nicht gespeichert werden\n"
     "(\"schwerwiegende Dateninkonsistenz\"; der Grund steht im Protokoll).\n"
     "Rückgabewert 4: Dateien wurden gespeichert, aber das Protokoll konnte nicht\n"
     "geschrieben werden; sein Inhalt steht in der Datei, die die Meldung nennt.",
     true,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream& err) {
         return Import(line, out, err);
     }},
    {"generate", "VERZEICHNIS [--hospital K001] [--department 125101] [--stays N] [--seed S] [--year JJJJ]",
     "Schreibt eine Importdatei mit N erfundenen Aufenthalten (Vorgabe 100, davon etwa\n"
     "2 % fehlerhaft, Aufnahmen im Jahr JJJJ, Vorgabe 2024) zum Testen in das Verzeichnis\n"
     "und gibt ihren Pfad aus. Dieselbe Zahl S (Vorgabe 1) ergibt auf jedem Rechner\n"
     "dieselbe Datei.",
     false,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream&) { return Generate(line, out); }},
    {"classify",
     "[--from DATUM] [--to DATUM] [--min-hours N] [--multiple-tiss J|N] [--replacement-tiss J|N] "
     "[KANR/ABTEILUNG...]",
     "Stuft die genannten Abteilungen ein (ohne Angabe alle einstufbaren) und gibt die\n"
     "Ergebnistabelle aus. Zeitraum (TT.MM.JJJJ oder JJJJMMTT), Mindeststunden und die\n"
     "TISS-Optionen gelten nur für diesen Aufruf; Vorgabe sind die Einstellungen.",
     true,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream& err) {
         return Classify(line, out, err);
     }},
    {"department", "KANR/ABTEILUNG [--dgkp X] [--beds N] [--pre E0|E1|E2|E3|none]",
     "Setzt DGKP, systemisierte Betten und Voreinstufung der Abteilung und gibt ihren\n"
     "Listeneintrag aus.",
     true,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream& err) {
         return Department(line, out, err);
     }},
    {"departments", "", "Gibt die Abteilungszeilen des Intensivberichts aus, eine je Zeile.", true,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream& err) {
         return Departments(line, out, err);
     }},
    {"stays", "KANR/ABTEILUNG", "Gibt die Aufenthaltszeilen der Abteilung aus, eine je Zeile.", true,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream& err) {
         return Stays(line, out, err);
     }},
    {"analyse", "[KANR/ABTEILUNG...]",
     "Gibt die INT-Patienten je Entlassungsmonat der genannten Abteilungen (ohne Angabe\n"
     "aller) tabulatorgetrennt aus, wie \"Kopieren\" der Abteilungsanalyse sie kopiert.",
     true,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream& err) {
         return Analyse(line, out, err);
     }},
    {"export", "[--output NAME] [KANR/ABTEILUNG...]",
     "Schreibt die genannten Abteilungen (ohne Angabe alle) in die Gesamtdatenbank NAME\n"
     "(Vorgabe gesamt.mdb) im Exportverzeichnis; eine bestehende Datei wird ersetzt.",
     true,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream& err) {
         return Export(line, out, err);
     }},
    {"check", "",
     "Prüft die Verwaltungsdatenbank und die Datenbank jeder angelegten Abteilung und\n"
     "gibt je Datei eine Zeile aus: \"ok\" oder den ersten gefundenen Fehler.\n"
     "Rückgabewert 0, wenn alle Dateien in Ordnung sind, sonst 2.",
     true,
     [](const CommandLine& line, const Environment&, std::ostream& out, std::ostream& err) {
         return Check(line, out, err);
     }},
};

struct OptionSpec {
    std::string_view Usage;
    std::string_view Description;
};

constexpr OptionSpec kGlobalOptions[] = {
    {"--ini DATEI", "Einstellungsdatei (Vorgabe: Kalmora11_0.ini im Programmverzeichnis\n"
                    "oder im Konfigurationsverzeichnis des Benutzers); steht vor dem Befehl."},
    {"-h, --help", "Zeigt diese Hilfe, nach einem Befehl nur die Hilfe zu diesem Befehl."},
    {"--version", "Zeigt die Version und das Service Pack des Programms."},
};

void WriteDescription(std::ostream& out, std::string_view description)
{
    while (!description.empty()) {
        const auto end = std::min(description.find('\n'), description.size());
        out << "      " << description.substr(0, end) << '\n';
        description.remove_prefix(std::min(end + 1, description.size()));
    }
}

std::string CommandUsageLine(const CommandSpec& command)
{
    std::string text(command.Name);
    if (!command.Arguments.empty()) text += " " + std::string(command.Arguments);
    return text;
}

std::string Usage()
{
    std::ostringstream out;
    out << "Aufruf: kalmora-cli [--ini DATEI] BEFEHL ...\n\nBefehle:\n";
    for (const auto& command : kCommands) {
        out << "  " << CommandUsageLine(command) << '\n';
        WriteDescription(out, command.Description);
    }
    out << "\nOptionen:\n";
    for (const auto& option : kGlobalOptions) {
        out << "  " << option.Usage << '\n';
        WriteDescription(out, option.Description);
    }
    return out.str();
}

std::string CommandUsage(const CommandSpec& command)
{
    std::ostringstream out;
    out << "Aufruf: kalmora-cli " << (command.TakesSettingsFile ? "[--ini DATEI] " : "") << CommandUsageLine(command)
        << '\n';
    WriteDescription(out, command.Description);
    return out.str();
}

const CommandSpec& FindCommand(const std::string& name)
{
    if (name.empty()) throw UsageError("Es wurde kein Befehl angegeben.");
    for (const auto& command : kCommands) {
        if (command.Name == name) return command;
    }
    throw UsageError("Unbekannter Befehl: " + name);
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, const Environment& environment, std::ostream& out,
           std::ostream& err)
{
    try {
        const CommandLine line = Parse(arguments);
        switch (line.Asked) {
        case Request::Version:
            out << "kalmora-cli " << kVersionNumber << '\n' << kServicePack << " (" << kFullVersion << ")\n";
            return kExitSuccess;
        case Request::Help:
            out << (line.Command.empty() ? Usage() : CommandUsage(FindCommand(line.Command)));
            return kExitSuccess;
        case Request::Run:
            break;
        }
        return FindCommand(line.Command).Run(line, environment, out, err);
    } catch (const UsageError& error) {
        err << "kalmora-cli: " << error.what() << "\n\n" << Usage();
        return kExitUsage;
    } catch (const ReferenceDataError& error) {
        err << "kalmora-cli: Die Referenzdaten sind fehlerhaft; es wurde nichts geändert.\n";
        for (const auto& problem : error.Problems())
            err << "  " << problem.Describe() << '\n';
        return kExitFailure;
    } catch (const std::exception& error) {
        err << "kalmora-cli: Fehler: " << GermanReason(error) << '\n';
        return kExitFailure;
    }
}

}  // namespace kalmora::cli
