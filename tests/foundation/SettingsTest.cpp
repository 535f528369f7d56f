#include "foundation/Settings.h"

#include "foundation/IniFile.h"
#include "foundation/ScriptedUserInterface.h"
#include "support/Files.h"
#include "support/TempDir.h"
#include "support/Posix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace kalmora {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDir;
using test::WriteText;

// A program directory and a user configuration directory inside one test directory.
struct Places {
    TempDir dir;
    fs::path program = dir / "program";
    fs::path user = dir / "config" / "kalmora";

    SettingsFile File(const std::string& name = std::string(kDefaultSettingsFileName)) const
    {
        SettingsFile file;
        file.SettingsFileName = name;
        file.ProgramDirectory = program;
        file.UserConfigDirectory = user;
        return file;
    }
};

const std::string kExampleFile = "[Path]\n"
                                 "ImportDataPath=/kalmora/import\n"
                                 "ExportDataPath=/kalmora/export\n"
                                 "SystemDataPath=/kalmora/system\n"
                                 "[Plausibilitaet]\n"
                                 "PlausLevel=Warning\n"
                                 "[Einstufung]\n"
                                 "Erhebungvon=20120101\n"
                                 "Erhebungbis=20121231\n"
                                 "MindestStd=6\n"
                                 "MehrfachTISS=J\n"
                                 "ErsatzTISS=N\n";

TEST(SettingsFileName, FromCommandLine)
{
    const std::string defaultName(kDefaultSettingsFileName);
    struct Case {
        const char* commandLine;
        std::string expected;
    };
    const Case cases[] = {
        {"", defaultName},
        {"   ", defaultName},
        {"/i:other.ini", "other.ini"},
        {"/i: /conf/k.ini ", "/conf/k.ini"},
        {"/i: D:\\conf\\k.ini ", "D:\\conf\\k.ini"},
        {"/i:my settings.ini", "my settings.ini"},
        {"/I:x.ini", defaultName},
        {"-i:x.ini", defaultName},
        {" /i:x.ini", defaultName},
        {"/i", defaultName},
        {"/i:", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("command line '") + c.commandLine + "'");
        EXPECT_EQ(SettingsFileNameFromCommandLine(c.commandLine), c.expected);
    }

    EXPECT_EQ(SettingsFileNameFromCommandLine(CommandLineFromArguments({"/i:my", "settings.ini"})), "my settings.ini");
    EXPECT_EQ(CommandLineFromArguments({}), "");
}

TEST(SettingsPaths, UserConfigDirectoryFromEnvironment)
{
    KALMORA_POSIX_ONLY("the XDG rule and its POSIX paths");
    struct Case {
        const char* xdgConfigHome;
        const char* home;
        fs::path expected;
    };
    const Case cases[] = {
        {"/xdg", "/home/anna", "/xdg/kalmora"},
        {nullptr, "/home/anna", "/home/anna/.config/kalmora"},
        {"", "/home/anna", "/home/anna/.config/kalmora"},
        {"relative", "/home/anna", "/home/anna/.config/kalmora"},
        {nullptr, "", ""},
        {nullptr, nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.xdgConfigHome ? c.xdgConfigHome : "(unset)") + ", " + (c.home ? c.home : "(unset)"));
        EXPECT_EQ(UserConfigDirectoryFor(c.xdgConfigHome, c.home), c.expected);
    }
}

// A full path of the system: a POSIX path as it stands, on Windows on drive C:.
std::string FullPath(const std::string& posix)
{
    return fs::path("/").is_absolute() ? posix : "C:" + posix;
}

TEST(SettingsPaths, DataFilePathKeepsNameInsideDirectory)
{
    struct Case {
        std::string directory;
        const char* name;
        std::string expected;
    };
    const Case cases[] = {
        {FullPath("/data"), "iadmin.mdb", FullPath("/data/iadmin.mdb")},
        {FullPath("/"), "iadmin.mdb", FullPath("/iadmin.mdb")},
        {FullPath("/data"), "/etc/passwd", FullPath("/data/etc/passwd")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directory + " + " + c.name);
        EXPECT_EQ(DataFilePath(c.directory, c.name), fs::path(c.expected));
    }
}

// A value that could not be read is held as "", a missing one as "unknown": neither is a folder, and
// no file is ever placed in the root or the working directory because of one.
TEST(SettingsPaths, AnEmptyOrRelativeDirectoryIsNoFolder)
{
    for (const char* held : {"", " ", "unknown", "system", "data/system"}) {
        SCOPED_TRACE(std::string("\"") + held + "\"");
        EXPECT_EQ(HeldDirectoryPath(held), std::nullopt);
        EXPECT_THROW(DataFilePath(held, "gesamt.mdb"), SettingsPathError);
        EXPECT_THROW(RequireFullPath("ExportDataPath", held), SettingsPathError);
    }
    EXPECT_EQ(RelativePathText("SystemDataPath", ""),
              "Der Pfad SystemDataPath der Einstellungsdatei ist leer oder konnte nicht gelesen werden; bitte dort "
              "einen vollständigen Pfad eintragen.");
    EXPECT_EQ(HeldDirectoryPath(FullPath("/data")), fs::path(FullPath("/data")));
    EXPECT_EQ(RelativePathText("SystemDataPath", FullPath("/")), std::nullopt);
    // A drive is held without its separator and names the drive's root.
    if (!fs::path("/").is_absolute()) {
        EXPECT_EQ(HeldDirectoryPath("C:"), fs::path("C:\\"));
        // A network share's folder is a full path as a drive's is.
        EXPECT_EQ(WithoutTrailingSeparator("\\\\server\\share\\Kalmora\\"), "\\\\server\\share\\Kalmora");
        EXPECT_EQ(HeldDirectoryPath("\\\\server\\share\\Kalmora"), fs::path("\\\\server\\share\\Kalmora"));
        EXPECT_EQ(DataFilePath("\\\\server\\share\\Kalmora", "iadmin.mdb"),
                  fs::path("\\\\server\\share\\Kalmora\\iadmin.mdb"));
    } else {
        // Outside Windows a backslash is part of a name: this is a relative path.
        EXPECT_EQ(HeldDirectoryPath("\\\\server\\share\\Kalmora"), std::nullopt);
    }
}

TEST(SettingsPaths, DataDirectoryLiesBesideTheProgramsFolder)
{
    struct Case {
        fs::path program;
        fs::path expected;
    };
    const Case cases[] = {
        {"/usr/bin", "/usr/share/kalmora"},
        {"/home/u/kalmora/build/src", "/home/u/kalmora/build/share/kalmora"},
        // An unknown program folder must not turn into a path relative to the working directory.
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program.string());
        EXPECT_EQ(DataDirectoryOf(c.program), c.expected);
    }
}

TEST(ReadIniValue, LooksInProgramDirectoryThenFallsBack)
{
    Places places;
    const auto programFile = places.program / "Kalmora11_0.ini";
    const auto userFile = places.user / "Kalmora11_0.ini";
    const auto fullPath = places.dir / "elsewhere" / "k.ini";
    WriteText(programFile, "[Path]\nImportDataPath=/p\n");
    WriteText(userFile, "[Path]\nImportDataPath=/u\nExportDataPath=/u-export\n");
    WriteText(places.user / "other.ini", "[Path]\nImportDataPath=/other\n");
    WriteText(fullPath, "[Path]\nImportDataPath=/full\n");

    const std::string programDirectory = places.program.string();
    struct Case {
        const char* name;
        std::string fileName;
        const char* key;
        std::string expected;
        std::string settingsDirectory;
        fs::path lastReadFile;
    };
    const Case cases[] = {
        {"program directory first", "Kalmora11_0.ini", "ImportDataPath", "/p", programDirectory, programFile},
        {"missing key falls back", "Kalmora11_0.ini", "ExportDataPath", "/u-export", "", userFile},
        {"found nowhere", "Kalmora11_0.ini", "SystemDataPath", "unknown", "", ""},
        {"bare name from the command line", "other.ini", "ImportDataPath", "/other", "", places.user / "other.ini"},
        {"full path", fullPath.string(), "ImportDataPath", "/full", "", fullPath},
        {"no name", "", "ImportDataPath", "unknown", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedUserInterface ui;
        auto file = places.File(c.fileName);
        EXPECT_EQ(ReadIniValue(file, ui, "Path", c.key), c.expected);
        EXPECT_EQ(file.SettingsDirectory, c.settingsDirectory);
        EXPECT_EQ(file.LastReadFile, c.lastReadFile);
        EXPECT_TRUE(ui.Messages().empty());
    }
}

// A first start is one that finds no settings file where the reads look; the new file goes where the
// next start's reads find it.
TEST(SettingsPaths, ExistingAndNewSettingsFile)
{
    struct Case {
        const char* name;
        std::string fileName;  // "FULL" stands for a full path in the test directory
        const char* existing;  // relative to the test directory; "" for none
        bool userDirectoryKnown;
        const char* expectedExisting;
        const char* expectedNew;
    };
    const Case cases[] = {
        {"nothing anywhere", "Kalmora11_0.ini", "", true, "", "config/kalmora/Kalmora11_0.ini"},
        {"program directory", "Kalmora11_0.ini", "program/Kalmora11_0.ini", true, "program/Kalmora11_0.ini",
         "config/kalmora/Kalmora11_0.ini"},
        {"user directory", "Kalmora11_0.ini", "config/kalmora/Kalmora11_0.ini", true, "config/kalmora/Kalmora11_0.ini",
         "config/kalmora/Kalmora11_0.ini"},
        {"bare name from the command line", "other.ini", "config/kalmora/Kalmora11_0.ini", true, "",
         "config/kalmora/other.ini"},
        {"full path missing", "FULL", "", true, "", "elsewhere/k.ini"},
        {"full path there", "FULL", "elsewhere/k.ini", true, "elsewhere/k.ini", "elsewhere/k.ini"},
        {"no user directory", "Kalmora11_0.ini", "", false, "", ""},
        {"full path without user directory", "FULL", "", false, "", "elsewhere/k.ini"},
        {"no name", "", "program/Kalmora11_0.ini", true, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Places places;
        if (*c.existing != '\0') WriteText(places.dir / c.existing, kExampleFile);
        auto file = places.File(c.fileName == "FULL" ? (places.dir / "elsewhere" / "k.ini").string() : c.fileName);
        if (!c.userDirectoryKnown) file.UserConfigDirectory.clear();
        auto expected = [&places](const char* path) {
            return *path == '\0' ? std::optional<fs::path>() : std::optional<fs::path>(places.dir / path);
        };
        EXPECT_EQ(ExistingSettingsFile(file), expected(c.expectedExisting));
        EXPECT_EQ(NewSettingsFilePath(file), expected(c.expectedNew));
    }
}

TEST(ReadIniValue, ProgramDirectoryIsHeldWithoutTrailingSeparator)
{
    Places places;
    WriteText(places.program / "Kalmora11_0.ini", "[Path]\nImportDataPath=/p\n");
    ScriptedUserInterface ui;
    auto file = places.File();
    file.ProgramDirectory = places.program.string() + "/";
    EXPECT_EQ(ReadIniValue(file, ui, "Path", "ImportDataPath"), "/p");
    EXPECT_EQ(file.SettingsDirectory, places.program.string());
}

TEST(LoadSettings, HoldsFixedWidthsAndFlags)
{
    struct Case {
        const char* name;
        std::optional<std::string> fileText;
        const char* plausLevel;
        const char* erhebungvon;
        const char* erhebungbis;
        const char* mindestStd;
        const char* mehrfachTiss;
        const char* ersatzTiss;
        bool strict;
        bool mehrfachSet;
        bool ersatzSet;
    };
    const Case cases[] = {
        {"example file", kExampleFile, "Warning", "20120101", "20121231", "6 ", "J", "N", false, true, false},
        {"no settings file", std::nullopt, "unknown", "unknown ", "unknown ", "un", "u", "u", false, false, false},
        {"empty values", "[Plausibilitaet]\nPlausLevel=\n[Einstufung]\nMindestStd=\n", "unknown", "unknown ",
         "unknown ", "un", "u", "u", false, false, false},
        {"strict level and long values",
         "[Plausibilitaet]\nPlausLevel=Error\n[Einstufung]\nErhebungvon=2012010199\nErhebungbis=2012\n"
         "MindestStd=123\nMehrfachTISS=Ja\nErsatzTISS=j\n",
         "Error  ", "20120101", "2012    ", "12", "J", "j", true, true, false},
        {"level in lower case is not strict", "[Plausibilitaet]\nPlausLevel=error\n", "error  ", "unknown ", "unknown ",
         "un", "u", "u", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Places places;
        if (c.fileText) WriteText(places.program / "Kalmora11_0.ini", *c.fileText);
        ScriptedUserInterface ui;
        auto file = places.File();
        Settings settings;
        LoadSettings(file, ui, settings);

        EXPECT_EQ(settings.PlausLevel.str(), c.plausLevel);
        EXPECT_EQ(settings.Erhebungvon.str(), c.erhebungvon);
        EXPECT_EQ(settings.Erhebungbis.str(), c.erhebungbis);
        EXPECT_EQ(settings.MindestStd.str(), c.mindestStd);
        EXPECT_EQ(settings.MehrfachTISS.str(), c.mehrfachTiss);
        EXPECT_EQ(settings.ErsatzTISS.str(), c.ersatzTiss);
        EXPECT_EQ(StrictChecks(settings), c.strict);
        EXPECT_EQ(IsSet(settings.MehrfachTISS), c.mehrfachSet);
        EXPECT_EQ(IsSet(settings.ErsatzTISS), c.ersatzSet);
        EXPECT_TRUE(ui.Messages().empty());
    }
}

TEST(LoadSettings, DropsTheDirectoriesTrailingSeparator)
{
    struct Case {
        const char* stored;
        const char* held;
    };
    const Case cases[] = {
        {"C:\\", "C:"}, {"C:\\Daten\\", "C:\\Daten"}, {"/data/", "/data"}, {"/data", "/data"},
        {"/", "/"},     {"/data//", "/data/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Places places;
        WriteText(places.program / "Kalmora11_0.ini", std::string("[Path]\nImportDataPath=") + c.stored +
                                                          "\nExportDataPath=" + c.stored +
                                                          "\nSystemDataPath=" + c.stored + "\n");
        ScriptedUserInterface ui;
        auto file = places.File();
        Settings settings;
        LoadSettings(file, ui, settings);
        EXPECT_EQ(settings.ImportDataPath, c.held);
        EXPECT_EQ(settings.ExportDataPath, c.held);
        EXPECT_EQ(settings.SystemDataPath, c.held);
    }
    Places places;
    ScriptedUserInterface ui;
    auto file = places.File();
    Settings settings;
    LoadSettings(file, ui, settings);
    EXPECT_EQ(settings.SystemDataPath, "unknown");
}

// What the options dialog writes must be what the next start reads, wherever the reads found the
// file; in particular after a read that had to fall back.
TEST(WriteIniValue, NextStartReadsBackWhatWasWritten)
{
    struct Case {
        const char* name;
        bool programFile;
        bool userFile;
        bool fullPath;
        const char* expectedFile;  // relative to the test directory
    };
    const Case cases[] = {
        {"file in program directory", true, false, false, "program/Kalmora11_0.ini"},
        {"file only in user directory", false, true, false, "config/kalmora/Kalmora11_0.ini"},
        {"no file anywhere", false, false, false, "config/kalmora/Kalmora11_0.ini"},
        {"full path that exists", false, false, true, "elsewhere/k.ini"},
        {"full path that doesn't exist yet", false, false, false, "new/dir/k.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Places places;
        const auto expectedFile = places.dir / c.expectedFile;
        std::string name(kDefaultSettingsFileName);
        if (c.programFile) WriteText(places.program / name, kExampleFile);
        if (c.userFile) WriteText(places.user / name, kExampleFile);
        if (c.fullPath) WriteText(expectedFile, kExampleFile);
        if (expectedFile.filename() == "k.ini") name = expectedFile.string();

        ScriptedUserInterface ui;
        auto file = places.File(name);
        Settings settings;
        LoadSettings(file, ui, settings);
        EXPECT_EQ(WriteIniValue(file, ui, "Path", "ImportDataPath", "/new/import"), 1);
        EXPECT_EQ(WriteIniValue(file, ui, "Einstufung", "ErsatzTISS", "J"), 1);
        EXPECT_TRUE(ui.Messages().empty());

        auto nextStart = places.File(name);
        Settings reread;
        LoadSettings(nextStart, ui, reread);
        EXPECT_EQ(reread.ImportDataPath, "/new/import");
        EXPECT_EQ(reread.ErsatzTISS.str(), "J");
        EXPECT_EQ(nextStart.LastReadFile, expectedFile);
        EXPECT_EQ(reread.MindestStd.str(), c.programFile || c.userFile || c.fullPath ? "6 " : "un");

        // Nothing was written anywhere else.
        std::size_t files = 0;
        for (const auto& entry : fs::recursive_directory_iterator(places.dir.Path()))
            files += entry.is_regular_file();
        EXPECT_EQ(files, 1u);
    }
}

TEST(ReadIniValue, ReportsAFileThatCannotBeRead)
{
    Places places;
    fs::create_directories(places.program / "Kalmora11_0.ini");
    ScriptedUserInterface ui;
    auto file = places.File();

    EXPECT_EQ(ReadIniValue(file, ui, "Path", "ImportDataPath"), "");
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].Text, "Probleme beim Lesen der 'ini'-Datei!");
    EXPECT_EQ(ui.Messages()[0].Title, "Kalmora");
    EXPECT_EQ(ui.Messages()[0].Icon, MessageIcon::Critical);
    EXPECT_EQ(ui.Messages()[0].Buttons, MessageButtons::Ok);
}

TEST(WriteIniValue, ReportsAWriteThatFails)
{
    struct Case {
        const char* name;
        std::string fileName;
        bool blockProgramFile;
        bool blockUserDirectory;
    };
    const Case cases[] = {
        {"settings file is a directory", "Kalmora11_0.ini", true, false},
        {"user directory can't be created", "Kalmora11_0.ini", false, true},
        {"no file name", "", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Places places;
        if (c.blockProgramFile) fs::create_directories(places.program / c.fileName);
        if (c.blockUserDirectory) WriteText(places.dir / "config", "a file where the directory belongs");
        ScriptedUserInterface ui;
        auto file = places.File(c.fileName);

        EXPECT_EQ(WriteIniValue(file, ui, "Path", "ImportDataPath", "/data"), 0);
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].Text, "Probleme beim Schreiben der 'ini'-Datei!");
        EXPECT_EQ(ui.Messages()[0].Title, "Kalmora");
        EXPECT_EQ(ui.Messages()[0].Icon, MessageIcon::Critical);
    }
}

TEST(WriteSettingsFile, WritesAllNineKeysThatLoadBack)
{
    Places places;
    const auto target = places.program / "Kalmora11_0.ini";
    WriteText(target, "[Old]\nStale=yes\n");
    Settings settings;
    settings.ImportDataPath = "/kalmora/import";
    settings.ExportDataPath = "/kalmora/export";
    settings.SystemDataPath = "/kalmora/system";
    settings.PlausLevel = "Warning";
    settings.Erhebungvon = "20120101";
    settings.Erhebungbis = "20121231";
    settings.MindestStd = "6";
    settings.MehrfachTISS = "J";
    settings.ErsatzTISS = "N";

    WriteSettingsFile(target, settings);

    EXPECT_EQ(ReadText(target), kExampleFile);
    ScriptedUserInterface ui;
    auto file = places.File();
    Settings loaded;
    LoadSettings(file, ui, loaded);
    EXPECT_EQ(loaded.ImportDataPath, settings.ImportDataPath);
    EXPECT_EQ(loaded.ExportDataPath, settings.ExportDataPath);
    EXPECT_EQ(loaded.SystemDataPath, settings.SystemDataPath);
    EXPECT_EQ(loaded.PlausLevel, settings.PlausLevel);
    EXPECT_EQ(loaded.Erhebungvon, settings.Erhebungvon);
    EXPECT_EQ(loaded.Erhebungbis, settings.Erhebungbis);
    EXPECT_EQ(loaded.MindestStd, settings.MindestStd);
    EXPECT_EQ(loaded.MehrfachTISS, settings.MehrfachTISS);
    EXPECT_EQ(loaded.ErsatzTISS, settings.ErsatzTISS);
}

// A value the file would read back trimmed or cut is refused, and the file stays as it was: written,
// it would load as other settings (a plausibility level "Error<tab>" as the strict "Error").
TEST(WriteSettingsFile, RefusesValuesThatWouldLoadAsOthers)
{
    struct Case {
        const char* name;
        void (*change)(Settings&);
    };
    const Case cases[] = {
        {"a fixed width cut after a tab", [](Settings& s) { s.PlausLevel = "Error\t strict"; }},
        {"a tab before the value", [](Settings& s) { s.MindestStd = "\t6"; }},
        {"a directory ending in a blank", [](Settings& s) { s.SystemDataPath = "/kalmora/system "; }},
        {"a directory longer than a value holds", [](Settings& s) { s.ImportDataPath = "/" + std::string(254, 'x'); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Places places;
        const auto target = places.program / "Kalmora11_0.ini";
        WriteText(target, kExampleFile);
        ScriptedUserInterface ui;
        auto file = places.File();
        Settings settings;
        LoadSettings(file, ui, settings);
        c.change(settings);
        EXPECT_THROW(WriteSettingsFile(target, settings), IniFileError);
        EXPECT_EQ(ReadText(target), kExampleFile);
    }
}

}  // namespace
}  // namespace kalmora
