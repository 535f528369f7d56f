#include "shell/OptionsValues.h"

#include "foundation/ScriptedUserInterface.h"
#include "support/Files.h"
#include "support/Posix.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalmora {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempDir;
using test::WriteText;

// A settings file in the program directory of a test directory, loaded as at start-up.
struct SettingsPlace {
    TempDir dir;
    SettingsFile file;
    Settings settings;
    ScriptedUserInterface ui;

    SettingsPlace()
    {
        file.ProgramDirectory = dir / "program";
        file.UserConfigDirectory = dir / "config";
    }
    fs::path Path() const { return file.ProgramDirectory / kDefaultSettingsFileName; }
    void Load() { LoadSettings(file, ui, settings); }
};

Settings StoredSettings(const std::string& importPath, const std::string& plausLevel, const std::string& von,
                        const std::string& mindestStd, const std::string& flag)
{
    Settings settings;
    settings.ImportDataPath = importPath;
    settings.ExportDataPath = "/data/export";
    settings.PlausLevel = plausLevel;
    settings.Erhebungvon = von;
    settings.Erhebungbis = "20121231";
    settings.MindestStd = mindestStd;
    settings.MehrfachTISS = flag;
    settings.ErsatzTISS = flag;
    return settings;
}

TEST(OptionsValuesTest, LoadShowsTheStoredSettings)
{
    struct Case {
        const char* name;
        Settings stored;
        std::string importDirectory;
        bool strict;
        int mindestStdIndex;
        std::string von;
        bool flags;
    };
    // clang-format off
    const Case cases[] = {
        {"example", StoredSettings("/data/import", "Warning", "20120101", "6", "J"),
         "/data/import", false, 6, "01.01.2012", true},
        {"strict, last hour", StoredSettings("/data/import", "Error", "20120101", "24", "N"),
         "/data/import", true, 24, "01.01.2012", false},
        {"root directory", StoredSettings("/", "Warning", "20120101", "0", "J"), "/", false, 0, "01.01.2012", true},
        {"unreadable directory", StoredSettings("", "Warning", "20120101", "0", "J"), "", false, 0, "01.01.2012", true},
        {"no settings file", StoredSettings("unknown", "unknown", "unknown", "unknown", "unknown"),
         "unknown", false, 0, "", false},
        {"blank date", StoredSettings("/i", "Warning", "        ", " 7", "j"), "/i", false, 7, "", false},
        {"hours beyond the list", StoredSettings("/i", "error", "20120101", "25", "J"),
         "/i", false, 0, "01.01.2012", true},
        {"hours two digits over", StoredSettings("/i", "Warning", "20120101", "99", "J"),
         "/i", false, 0, "01.01.2012", true},
        {"negative hours", StoredSettings("/i", "Warning", "20120101", "-1", "J"), "/i", false, 0, "01.01.2012", true},
        {"invalid day still shown", StoredSettings("/i", "Warning", "20120231", "6", "J"),
         "/i", false, 6, "31.02.2012", true},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const OptionsValues values = LoadOptions(c.stored);
        EXPECT_EQ(values.ImportDirectory, c.importDirectory);
        EXPECT_EQ(values.ExportDirectory, "/data/export");
        EXPECT_EQ(values.StrictPlausibility, c.strict);
        EXPECT_EQ(values.MindestStdIndex, c.mindestStdIndex);
        EXPECT_EQ(values.Erhebungvon, c.von);
        EXPECT_EQ(values.Erhebungbis, "31.12.2012");
        EXPECT_EQ(values.MehrfachTISS, c.flags);
        EXPECT_EQ(values.ErsatzTISS, c.flags);
    }
}

OptionsValues ChangedValues()
{
    OptionsValues values;
    values.ImportDirectory = "/";
    values.ExportDirectory = "/data/export/";
    values.StrictPlausibility = true;
    values.MindestStdIndex = 6;
    values.Erhebungvon = "";
    values.Erhebungbis = "31.12.2012";
    values.MehrfachTISS = true;
    values.ErsatzTISS = false;
    return values;
}

TEST(OptionsValuesTest, SaveWritesEveryKeyButTheSystemDirectory)
{
    SettingsPlace place;
    WriteText(place.Path(), "; kept\n"
                            "[Path]\n"
                            "ImportDataPath=/old/import\n"
                            "ExportDataPath=/old/export\n"
                            "SystemDataPath=/old/system\n"
                            "[Plausibilitaet]\n"
                            "PlausLevel=Warning\n"
                            "[Einstufung]\n"
                            "Erhebungvon=20110101\n"
                            "Erhebungbis=20111231\n"
                            "MindestStd=3\n"
                            "MehrfachTISS=N\n"
                            "ErsatzTISS=J\n");
    place.Load();

    SaveOptions(ChangedValues(), place.settings, place.file, place.ui);

    EXPECT_EQ(ReadText(place.Path()), "; kept\n"
                                      "[Path]\n"
                                      "ImportDataPath=/\n"
                                      "ExportDataPath=/data/export/\n"
                                      "SystemDataPath=/old/system\n"
                                      "[Plausibilitaet]\n"
                                      "PlausLevel=Error  \n"
                                      "[Einstufung]\n"
                                      "Erhebungvon=        \n"
                                      "Erhebungbis=20121231\n"
                                      "MindestStd=6\n"
                                      "MehrfachTISS=J\n"
                                      "ErsatzTISS=N\n");
    EXPECT_EQ(place.settings.ImportDataPath, "/");
    EXPECT_EQ(place.settings.ExportDataPath, "/data/export");
    EXPECT_EQ(place.settings.SystemDataPath, "/old/system");
    EXPECT_EQ(place.settings.PlausLevel, "Error  ");
    EXPECT_TRUE(StrictChecks(place.settings));
    EXPECT_EQ(place.settings.Erhebungvon, "        ");
    EXPECT_EQ(place.settings.Erhebungbis, "20121231");
    EXPECT_EQ(place.settings.MindestStd, "6 ");
    EXPECT_EQ(place.settings.MehrfachTISS, "J");
    EXPECT_EQ(place.settings.ErsatzTISS, "N");
    EXPECT_TRUE(place.ui.Messages().empty());
}

TEST(OptionsValuesTest, SavedValuesComeBackAfterARestart)
{
    SettingsPlace place;
    place.Load();  // no settings file yet
    const OptionsValues saved = ChangedValues();
    SaveOptions(saved, place.settings, place.file, place.ui);

    SettingsPlace restart;
    restart.file = place.file;
    restart.file.LastReadFile.clear();
    restart.Load();
    const OptionsValues loaded = LoadOptions(restart.settings);

    EXPECT_EQ(loaded.ImportDirectory, "/");
    EXPECT_EQ(loaded.ExportDirectory, "/data/export");
    EXPECT_TRUE(loaded.StrictPlausibility);
    EXPECT_EQ(loaded.MindestStdIndex, saved.MindestStdIndex);
    EXPECT_EQ(loaded.Erhebungvon, "");
    EXPECT_EQ(loaded.Erhebungbis, saved.Erhebungbis);
    EXPECT_EQ(loaded.MehrfachTISS, saved.MehrfachTISS);
    EXPECT_EQ(loaded.ErsatzTISS, saved.ErsatzTISS);
    EXPECT_TRUE(place.ui.Messages().empty());
}

TEST(OptionsValuesTest, FailingWritesAreReportedAndDoNotStopTheOthers)
{
    SettingsPlace place;
    // A directory where the settings file should be can't be written.
    fs::create_directories(place.Path());
    place.file.LastReadFile = place.Path();

    SaveOptions(ChangedValues(), place.settings, place.file, place.ui);

    ASSERT_EQ(place.ui.Messages().size(), 8u);
    EXPECT_EQ(place.ui.Messages().back().Text, "Probleme beim Schreiben der 'ini'-Datei!");
    EXPECT_EQ(place.settings.ErsatzTISS, "N");
    EXPECT_EQ(place.settings.PlausLevel, "Error  ");
}

TEST(OptionsValuesTest, ValidateDateBox)
{
    struct Case {
        std::string_view typed;
        std::optional<std::string> shown;
    };
    // clang-format off
    const Case cases[] = {
        {"20121231", "31.12.2012"},
        {"31.12.2012", "31.12.2012"},
        {"1.2.24", "01.02.2024"},
        {"1.2.", "01.02.2000"},
        {" 31.12.2012 ", "31.12.2012"},
        {"", ""},            // a box may stay empty
        {"   ", "   "},
        {"31.02.2012", std::nullopt},
        {"20120231", std::nullopt},
        {"abc", std::nullopt},
        {"31.12", std::nullopt},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("typed '") + std::string(c.typed) + "'");
        EXPECT_EQ(ValidateDateBox(c.typed), c.shown);
    }
}

TEST(OptionsValuesTest, DirectoryListsOpenAtAnExistingDirectory)
{
    KALMORA_POSIX_ONLY("one root \"/\"; the folder lists of the desktop program know no drive letters yet");
    TempDir dir;
    const fs::path home = dir / "home";
    const fs::path data = dir / "data";
    fs::create_directories(home);
    fs::create_directories(data);
    WriteText(dir / "file", "x");

    EXPECT_EQ(DirectoryToBrowse(data.string(), home), data);
    EXPECT_EQ(DirectoryToBrowse("/", home), fs::path("/"));
    EXPECT_EQ(DirectoryToBrowse("unknown", home), home);
    EXPECT_EQ(DirectoryToBrowse((dir / "missing").string(), home), home);
    EXPECT_EQ(DirectoryToBrowse((dir / "file").string(), home), home);
    EXPECT_EQ(DirectoryToBrowse("unknown", dir / "no-home"), fs::path("/"));
    EXPECT_EQ(DirectoryToBrowse("unknown", ""), fs::path("/"));
}

TEST(OptionsValuesTest, DirectoryReadable)
{
    TempDir dir;
    WriteText(dir / "file", "x");
    EXPECT_TRUE(DirectoryReadable(dir.Path()));
    EXPECT_FALSE(DirectoryReadable(dir / "missing"));
    EXPECT_FALSE(DirectoryReadable(dir / "file"));

    const fs::path locked = dir / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::none);
    if (test::PermissionBitsApply()) {
        EXPECT_FALSE(DirectoryReadable(locked));
    }
    fs::permissions(locked, fs::perms::owner_all);
}

TEST(OptionsValuesTest, Volumes)
{
    const auto roots = OrderVolumeRoots({"/mnt/usb", "/", "/boot", "/mnt/usb", ""}, "/");
    EXPECT_EQ(roots, (std::vector<std::string>{"/", "/boot", "/mnt/usb"}));
    EXPECT_EQ(OrderVolumeRoots({}, "/"), std::vector<std::string>{"/"});
    // Windows drives: the system's drive first, whichever order and spelling they come in.
    const auto drives = OrderVolumeRoots({"Z:/", "D:/", "C:/", "c:\\"}, "C:/");
    EXPECT_EQ(drives, (std::vector<std::string>{"C:/", "D:/", "Z:/"}));

    const struct {
        const char* directory;
        const std::vector<std::string>& roots;
        const char* volume;
    } cases[] = {
        {"/mnt/usb/data", roots, "/mnt/usb"},
        {"/mnt/usb", roots, "/mnt/usb"},
        {"/mnt/usb2", roots, "/"},
        {"/home/user", roots, "/"},
        {"/", roots, "/"},
        {"C:\\Users\\pflege\\Dokumente", drives, "C:/"},
        {"c:/daten", drives, "C:/"},
        {"C:", drives, "C:/"},
        {"C:\\", drives, "C:/"},
        {"Z:\\home\\pflege", drives, "Z:/"},
        {"\\\\server\\share\\Kalmora", drives, ""},
        {"", drives, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directory);
        EXPECT_EQ(VolumeOf(c.directory, c.roots), c.volume);
    }
}

}  // namespace
}  // namespace kalmora
