#include "cli/CliCommands.h"

#include "foundation/Version.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "support/Files.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"
#include "support/Posix.h"
#include "support/SimulatedFaults.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace kalmora {
namespace {

using Outcome = test::CliOutcome;

class CliTest : public ::testing::Test {
protected:
    Outcome Run(const std::vector<std::string>& arguments)
    {
        return test::RunCliInProcess(arguments, dir / "bin", 2031);
    }

    std::string Ini() const { return (dir / "inst" / "Kalmora11_0.ini").string(); }

    void Write(const std::string& name, const std::string& text) { test::WriteText(dir / name, text); }

    test::TempDir dir;
};

// Every file below `root` with its contents and modification time.
std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>>
Snapshot(const std::filesystem::path& root)
{
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        files[entry.path().string()] = {test::ReadText(entry.path()), entry.last_write_time()};
    }
    return files;
}

TEST_F(CliTest, SetupCreatesAWorkingInstallationAndASecondRunChangesNothing)
{
    const auto installation = dir / "inst";
    const Outcome first = Run({"setup", installation.string()});
    ASSERT_EQ(first.Status, 0) << first.Err;

    for (const char* folder : {"system", "import", "export"}) {
        EXPECT_TRUE(std::filesystem::is_directory(installation / folder)) << folder;
    }
    const Outcome settings = Run({"--ini", Ini(), "settings"});
    ASSERT_EQ(settings.Status, 0) << settings.Err;
    EXPECT_EQ(settings.Out, "ImportDataPath=" + (installation / "import").string() + "\n" +
                                "ExportDataPath=" + (installation / "export").string() + "\n" +
                                "SystemDataPath=" + (installation / "system").string() + "\n" +
                                "PlausLevel=Warning\nErhebungvon=20310101\nErhebungbis=20311231\n"
                                "MindestStd=6 \nMehrfachTISS=J\nErsatzTISS=N\n");
    {
        Database admin(installation / "system" / "iadmin.mdb", OpenMode::ReadOnly);
        auto rows = admin.Prepare(
            "SELECT (SELECT count(*) FROM \"Dateiverwaltung\"), "
            "(SELECT count(*) FROM \"KANR-Bezeichnung\" WHERE \"KANR\" IN ('K001', 'K002', 'K003')), "
            "(SELECT count(*) FROM \"ABT-Bezeichnung\" WHERE \"ABTEILUNG\" IN ('121001', '125101', '122701'))");
        ASSERT_TRUE(rows.Step());
        EXPECT_EQ(rows.Int(0), 0);
        EXPECT_EQ(rows.Int(1), 3);
        EXPECT_EQ(rows.Int(2), 3);
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(installation / "system" / "ibds.mdb"));

    const auto before = Snapshot(installation);
    const Outcome second = Run({"setup", installation.string()});
    EXPECT_EQ(second.Status, 0) << second.Err;
    EXPECT_EQ(Snapshot(installation), before);
}

TEST_F(CliTest, SetupKeepsAnExistingSettingsFile)
{
    std::filesystem::create_directories(dir / "inst");
    Write("inst/Kalmora11_0.ini", "[Plausibilitaet]\nPlausLevel=Error\n");
    ASSERT_EQ(Run({"setup", (dir / "inst").string()}).Status, 0);
    const Outcome settings = Run({"--ini", Ini(), "settings"});
    EXPECT_NE(settings.Out.find("PlausLevel=Error  \n"), std::string::npos) << settings.Out;
    EXPECT_NE(settings.Out.find("SystemDataPath=unknown\n"), std::string::npos) << settings.Out;
}

TEST_F(CliTest, LoadReferenceReplacesTheListsOrChangesNothing)
{
    ASSERT_EQ(Run({"setup", (dir / "inst").string()}).Status, 0);
    Write("h.csv", "KANR;BEZEICHNUNG\nK009;Haus Neun\n");
    Write("d.csv", "ABTEILUNG;BEZEICHNUNG\n129901;Station\n");
    Write("bad.csv", "ABTEILUNG;BEZEICHNUNG\n12990;Station\n");

    const Outcome bad = Run({"--ini", Ini(), "load-reference", "--hospitals", (dir / "h.csv").string(), "--departments",
                             (dir / "bad.csv").string()});
    EXPECT_EQ(bad.Status, 2);
    EXPECT_NE(bad.Err.find("bad.csv, Zeile 2"), std::string::npos) << bad.Err;

    const auto hospitalNumbers = [this] {
        Database admin(dir / "inst" / "system" / "iadmin.mdb", OpenMode::ReadOnly);
        auto names = admin.Prepare("SELECT group_concat(\"KANR\") FROM \"KANR-Bezeichnung\"");
        names.Step();
        return names.Text(0);
    };
    EXPECT_EQ(hospitalNumbers(), "K001,K002,K003,K004") << "the failed load changed the lists";

    const Outcome good = Run({"--ini", Ini(), "load-reference", "--hospitals", (dir / "h.csv").string(),
                              "--departments", (dir / "d.csv").string()});
    EXPECT_EQ(good.Status, 0) << good.Err;
    EXPECT_EQ(hospitalNumbers(), "K009");
}

TEST_F(CliTest, SetupRefusesPathsTooLongForTheSettingsFile)
{
    // The longest path written is "<directory>/system" (as long as import and export).
    const auto installationFor = [this](std::size_t settingsValueLength) {
        const std::size_t nameLength =
            settingsValueLength - dir.Path().string().size() - std::string("//system").size();
        return dir / std::string(nameLength, 'i');
    };
    const auto fits = installationFor(254);
    const Outcome accepted = Run({"setup", fits.string()});
    EXPECT_EQ(accepted.Status, 0) << accepted.Err;
    EXPECT_EQ((fits / "system").string().size(), 254u);
    EXPECT_TRUE(std::filesystem::is_regular_file(fits / "system" / "iadmin.mdb"));

    const auto tooLong = installationFor(255);
    const Outcome refused = Run({"setup", tooLong.string()});
    EXPECT_EQ(refused.Status, 2);
    EXPECT_NE(refused.Err.find("höchstens 254 Zeichen"), std::string::npos) << refused.Err;
    EXPECT_FALSE(std::filesystem::exists(tooLong)) << "nothing is made for a refused set-up";
}

TEST_F(CliTest, LoadReferenceWaitsForTheSystemDataLock)
{
    ASSERT_EQ(Run({"setup", (dir / "inst").string()}).Status, 0);
    Write("h.csv", "KANR;BEZEICHNUNG\nK009;Haus Neun\n");
    Write("d.csv", "ABTEILUNG;BEZEICHNUNG\n129901;Station\n");
    const ExclusiveLock importRunning(dir / "inst" / "system" / "kalmora.lock");

    const Outcome outcome = Run({"--ini", Ini(), "load-reference", "--hospitals", (dir / "h.csv").string(),
                                 "--departments", (dir / "d.csv").string()});

    EXPECT_EQ(outcome.Status, 2);
    EXPECT_NE(outcome.Err.find("Ein anderer Import oder Export arbeitet gerade"), std::string::npos) << outcome.Err;
    Database admin(dir / "inst" / "system" / "iadmin.mdb", OpenMode::ReadOnly);
    auto names = admin.Prepare("SELECT count(*) FROM \"KANR-Bezeichnung\" WHERE \"KANR\" = 'K009'");
    ASSERT_TRUE(names.Step());
    EXPECT_EQ(names.Int(0), 0);
}

TEST_F(CliTest, RunsRefuseARelativeDirectoryInTheSettings)
{
    ASSERT_EQ(Run({"setup", (dir / "inst").string()}).Status, 0);
    const std::string written = test::ReadText(Ini());
    const auto withRelative = [&written](const std::string& key, const std::string& folder) {
        const auto start = written.find(key + "=");
        const auto end = written.find('\n', start);
        std::string text = written;
        text.replace(start, end - start, key + "=" + folder);
        return text;
    };
    Write("h.csv", "KANR;BEZEICHNUNG\nK009;Haus Neun\n");
    Write("d.csv", "ABTEILUNG;BEZEICHNUNG\n129901;Station\n");
    struct Case {
        std::string key;
        std::vector<std::string> arguments;
    };
    const std::string importFile = (dir / "A1210101X001").string();
    const Case cases[] = {
        {"SystemDataPath", {"import", importFile}},
        {"ExportDataPath", {"import", importFile}},
        {"SystemDataPath", {"classify"}},
        {"SystemDataPath", {"department", "K001/12100101", "--beds", "10"}},
        {"SystemDataPath", {"analyse"}},
        {"SystemDataPath", {"export"}},
        {"SystemDataPath",
         {"load-reference", "--hospitals", (dir / "h.csv").string(), "--departments", (dir / "d.csv").string()}},
        {"SystemDataPath", {"departments"}},
        {"SystemDataPath", {"stays", "K001/12100101"}},
        {"SystemDataPath", {"check"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key + " " + c.arguments.front());
        test::WriteText(Ini(), withRelative(c.key, "inst/data"));
        std::vector<std::string> arguments{"--ini", Ini()};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.Status, 2);
        EXPECT_NE(
            outcome.Err.find("Der Pfad " + c.key + "=inst/data der Einstellungsdatei ist kein vollständiger Pfad"),
            std::string::npos)
            << outcome.Err;
    }
}

// A settings value that could not be read is empty, and empty is no folder: not the root, where a
// run as the superuser would otherwise put the export, the protocol or the log with patient data.
TEST_F(CliTest, AValueThatCouldNotBeReadSendsNothingAnywhere)
{
    ASSERT_EQ(Run({"setup", (dir / "inst").string()}).Status, 0);
    const auto importFile = dir / "inst" / "import" / "A2100101X002.txt";
    std::filesystem::copy_file(std::filesystem::path(KALMORA_TEST_DATA_DIR) / "classification" / "A2100101X002.txt",
                               importFile);
    ASSERT_EQ(Run({"--ini", Ini(), "import", importFile.string()}).Status, 0);
    const std::vector<std::filesystem::path> rootFiles{"/gesamt.mdb",   "/protocol.dat", "/kalmora.log",
                                                       "/kalmora.lock", "/iadmin.mdb",   "/12100101X002"};
    for (const auto& file : rootFiles)
        ASSERT_FALSE(std::filesystem::exists(file)) << file << " was there before the test";

    struct Case {
        std::string Key;  // the value that cannot be read; "" for none at all
        std::vector<std::string> Arguments;
    };
    const std::vector<std::vector<std::string>> commands{
        {"import", "--yes", importFile.string()},
        {"export"},
        {"classify"},
        {"analyse"},
        {"check"},
        {"departments"},
        {"stays", "K002/12100101"},
        {"department", "K002/12100101", "--beds", "7"},
    };
    std::vector<Case> cases;
    for (const auto& command : commands) {
        cases.push_back({"SystemDataPath", command});
        cases.push_back({"", command});
    }
    cases.push_back({"ExportDataPath", commands[0]});
    cases.push_back({"ExportDataPath", commands[1]});
    // The reads go in the order of the settings: the import, the export and the system data path.
    const std::map<std::string, int> readOfKey{{"ExportDataPath", 2}, {"SystemDataPath", 3}};
    const auto before = Snapshot(dir / "inst");
    int settingsFiles = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE((c.Key.empty() ? std::string("no value") : c.Key) + ": " + c.Arguments.front());
        // A settings file of its own, so that the count of its reads starts afresh.
        const std::string name = "k" + std::to_string(++settingsFiles) + ".ini";
        std::filesystem::copy_file(Ini(), dir / name);
        const test::SimulatedFaults failing(
            c.Key.empty() ? "fail-read=" + name : "fail-read=" + name + "@" + std::to_string(readOfKey.at(c.Key)));
        std::vector<std::string> arguments{"--ini", (dir / name).string()};
        arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.Status, 2) << outcome.Out;
        EXPECT_NE(outcome.Err.find("Probleme beim Lesen der 'ini'-Datei!"), std::string::npos) << outcome.Err;
        EXPECT_NE(outcome.Err.find("der Einstellungsdatei ist leer oder konnte nicht gelesen werden"),
                  std::string::npos)
            << outcome.Err;
        EXPECT_EQ(Snapshot(dir / "inst"), before);
        for (const auto& file : rootFiles)
            EXPECT_FALSE(std::filesystem::exists(file)) << file;
    }
    // A settings file that is a folder cannot be read at all.
    std::filesystem::create_directory(dir / "folder.ini");
    const Outcome outcome = Run({"--ini", (dir / "folder.ini").string(), "import", "--yes", importFile.string()});
    EXPECT_EQ(outcome.Status, 2);
    EXPECT_EQ(Snapshot(dir / "inst"), before);
    for (const auto& file : rootFiles)
        EXPECT_FALSE(std::filesystem::exists(file)) << file;
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

TEST_F(CliTest, UsageErrorsAndFailuresHaveTheirExitStatus)
{
    struct Case {
        std::vector<std::string> Arguments;
        int Status;
        // The first line on standard error, or on standard output when the call succeeds.
        std::string Message;
    };
    const Case cases[] = {
        {{}, 1, "kalmora-cli: Es wurde kein Befehl angegeben."},
        {{"import-everything"}, 1, "kalmora-cli: Unbekannter Befehl: import-everything"},
        {{"setup"}, 1, "kalmora-cli: Falsche Anzahl von Angaben zu setup."},
        {{"setup", "a", "b"}, 1, "kalmora-cli: Falsche Anzahl von Angaben zu setup."},
        {{"setup", "x", "--color", "red"}, 1, "kalmora-cli: Unbekannte Angabe --color."},
        {{"load-reference", "--hospitals", "h.csv"}, 1, "kalmora-cli: Die Angabe --departments fehlt."},
        {{"--ini"}, 1, "kalmora-cli: Zu --ini fehlt der Wert."},
        {{"import", "f", "--protocol"}, 1, "kalmora-cli: Zu --protocol fehlt der Wert."},
        {{"import", "--protocol", "a", "--protocol", "b", "f"}, 1, "kalmora-cli: --protocol ist mehrfach angegeben."},
        {{"import", "--protocol", "a", "--protocol", "b", "--yes"},
         1,
         "kalmora-cli: --protocol ist mehrfach angegeben."},
        // Only "--name value" is understood; the whole word is named back.
        {{"import", "--protocol=p.dat", "f"}, 1, "kalmora-cli: Unbekannte Angabe --protocol=p.dat."},
        {{"import", "f", "--ini", "k.ini"}, 1, "kalmora-cli: Unbekannte Angabe --ini."},
        {{"import"}, 1, "kalmora-cli: Es wurde keine Importdatei angegeben."},
        {{"generate", "d", "--stays", "-5"},
         1,
         "kalmora-cli: --stays erwartet eine ganze Zahl ohne Vorzeichen, nicht \"-5\"."},
        {{"stays", "K002"}, 1, "kalmora-cli: Eine Abteilung wird als KANR/ABTEILUNG angegeben, nicht \"K002\"."},
        {{"settings", "--version"}, 0, "kalmora-cli " + std::string(kVersionNumber)},
        // A value is taken as it stands, even one that looks like a request for help.
        {{"--ini", "--help"}, 1, "kalmora-cli: Es wurde kein Befehl angegeben."},
        {{"check", "--help", "extra"}, 0, "Aufruf: kalmora-cli [--ini DATEI] check"},
        {{"nonsense", "--help"}, 1, "kalmora-cli: Unbekannter Befehl: nonsense"},
        {{"--ini", "/nonexistent/k.ini", "load-reference", "--hospitals", "h", "--departments", "d"},
         2,
         "kalmora-cli: Fehler: Der Pfad SystemDataPath=unknown der Einstellungsdatei ist kein vollständiger Pfad; "
         "bitte dort einen vollständigen Pfad eintragen."},
        {{"--help"}, 0, "Aufruf: kalmora-cli [--ini DATEI] BEFEHL ..."},
    };
    for (const auto& c : cases) {
        const Outcome outcome = Run(c.Arguments);
        std::string shown;
        for (const auto& argument : c.Arguments)
            shown += argument + " ";
        SCOPED_TRACE(shown);
        EXPECT_EQ(outcome.Status, c.Status) << outcome.Err;
        if (c.Status == 0) {
            EXPECT_EQ(FirstLine(outcome.Out), c.Message);
            EXPECT_EQ(outcome.Err, "");
        } else {
            EXPECT_EQ(FirstLine(outcome.Err), c.Message);
            EXPECT_EQ(outcome.Out, "");
        }
        // A usage error is followed by the whole usage, a failure is not.
        EXPECT_EQ(outcome.Err.find("\nAufruf: kalmora-cli [--ini DATEI] BEFEHL ...\n") != std::string::npos,
                  c.Status == 1)
            << outcome.Err;
    }
}

const std::vector<std::string> kCommands{"setup",      "load-reference", "settings", "import",  "generate", "classify",
                                         "department", "departments",    "stays",    "analyse", "export",   "check"};

TEST_F(CliTest, HelpAndVersionGoToStandardOutput)
{
    const Outcome help = Run({"--help"});
    ASSERT_EQ(help.Status, 0);
    EXPECT_EQ(help.Err, "");
    for (const auto& arguments : {std::vector<std::string>{"-h"}, std::vector<std::string>{"--ini", Ini(), "--help"},
                                  std::vector<std::string>{"--help", "setup"}}) {
        EXPECT_EQ(Run(arguments).Out, help.Out) << arguments.front();
    }

    // Each command's help is its entry of the overall help: one usage line, then the description.
    for (const auto& command : kCommands) {
        SCOPED_TRACE(command);
        const Outcome own = Run({command, "--help"});
        EXPECT_EQ(own.Status, 0);
        EXPECT_EQ(own.Err, "");
        EXPECT_EQ(Run({command, "-h"}).Out, own.Out);
        const std::string prefix =
            command == "generate" ? "Aufruf: kalmora-cli " : "Aufruf: kalmora-cli [--ini DATEI] ";
        ASSERT_TRUE(own.Out.starts_with(prefix + command)) << own.Out;
        const std::string entry = "\n  " + own.Out.substr(prefix.size());
        EXPECT_NE(help.Out.find(entry), std::string::npos) << own.Out;
        EXPECT_NE(own.Out.find("\n      "), std::string::npos) << "no description";
    }

    // The layout a script turns into the manual page: headings, usage lines indented by two,
    // descriptions by six.
    std::istringstream lines(help.Out);
    std::string line;
    int usageLines = 0;
    while (std::getline(lines, line)) {
        const bool heading = !line.empty() && line[0] != ' ' && line.back() == ':';
        const bool usage = line.starts_with("  ") && line[2] != ' ';
        const bool description = line.starts_with("      ") && line[6] != ' ';
        EXPECT_TRUE(line.empty() || heading || usage || description || line.starts_with("Aufruf: ")) << line;
        usageLines += usage ? 1 : 0;
    }
    EXPECT_EQ(usageLines, static_cast<int>(kCommands.size()) + 3) << "each command and --ini, --help, --version";

    const Outcome version = Run({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Err, "");
    EXPECT_EQ(version.Out, "kalmora-cli " + std::string(kVersionNumber) + "\n" + std::string(kServicePack) + " (" +
                               std::string(kFullVersion) + ")\n");
}

// Asking for help runs nothing: no settings read, no lock waited for, no file touched, whatever
// else stands on the line.
TEST_F(CliTest, AskingForACommandsHelpDoesNothingElse)
{
    ASSERT_EQ(Run({"setup", (dir / "inst").string()}).Status, 0);
    Write("h.csv", "KANR;BEZEICHNUNG\nK009;Haus Neun\n");
    Write("d.csv", "ABTEILUNG;BEZEICHNUNG\n129901;Station\n");
    const Outcome generated = Run({"generate", dir.Path().string(), "--stays", "5"});
    ASSERT_EQ(generated.Status, 0) << generated.Err;
    const std::string importFile = FirstLine(generated.Out);
    // The settings name a directory that is not a full path, which every command reading them refuses.
    test::WriteText(dir / "relative.ini", "[Path]\nSystemDataPath=system\n");
    const ExclusiveLock importRunning(dir / "inst" / "system" / "kalmora.lock");

    const std::vector<std::vector<std::string>> cases{
        {"setup", (dir / "new").string(), "--help"},
        {"load-reference", "--hospitals", (dir / "h.csv").string(), "--help", "--departments",
         (dir / "d.csv").string()},
        {"settings", "-h"},
        {"import", "--initialise", "--yes", importFile, "--help"},
        {"import", "--protocol", "a", "--protocol", "b", "--help"},
        {"generate", (dir / "new").string(), "--help"},
        {"classify", "--help", "K001/12100101"},
        {"department", "K001/12100101", "--beds", "2", "--help"},
        {"departments", "--help"},
        {"stays", "K001/12100101", "--help"},
        {"analyse", "--help"},
        {"export", "--output", "x.mdb", "--help"},
        {"check", "--help"},
    };
    const auto before = Snapshot(dir.Path());
    for (const auto& ini : {Ini(), (dir / "relative.ini").string()}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(ini + " " + c.front());
            std::vector<std::string> arguments{"--ini", ini};
            arguments.insert(arguments.end(), c.begin(), c.end());
            const Outcome outcome = Run(arguments);
            EXPECT_EQ(outcome.Status, 0) << outcome.Err;
            EXPECT_EQ(outcome.Err, "");
            EXPECT_EQ(outcome.Out, Run({c.front(), "--help"}).Out);
        }
    }
    EXPECT_EQ(Snapshot(dir.Path()), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "new"));
}

#ifdef _WIN32
TEST_F(CliTest, TheProgramReportsItsExitStatusToTheShell)
{
    GTEST_SKIP() << "not on Windows: a POSIX shell starts the program (scripts/windows-compare.sh checks the "
                    "exit status of the Windows tool)";
}
#else
TEST_F(CliTest, TheProgramReportsItsExitStatusToTheShell)
{
    const std::string command =
        std::string(KALMORA_CLI_PATH) + " setup " + (dir / "inst").string() + " >/dev/null 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0);
    EXPECT_EQ(WEXITSTATUS(std::system((std::string(KALMORA_CLI_PATH) + " nonsense 2>/dev/null").c_str())), 1);
}
#endif

}  // namespace
}  // namespace kalmora
