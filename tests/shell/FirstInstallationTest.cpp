#include "shell/FirstInstallation.h"

#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "storage/Schema.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

namespace kalmora {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteText;

const fs::path kReference = fs::path(KALMORA_SOURCE_DIR) / "data" / "reference";

// Every path below the directory, to see what a call left behind.
std::set<fs::path> Tree(const fs::path& directory)
{
    std::set<fs::path> paths;
    for (const auto& entry : fs::recursive_directory_iterator(directory))
        paths.insert(entry.path());
    return paths;
}

TEST(SetUpFirstInstallation, MakesWhatSetupMakesWithTheSettingsFileElsewhere)
{
    TempDir dir;
    const fs::path settingsFile = dir / "config" / "kalmora" / "Kalmora11_0.ini";
    SetUpFirstInstallation(dir / "home" / "Kalmora", settingsFile, kReference, 2026);

    const fs::path root = dir / "home" / "Kalmora";
    for (const fs::path& made : {root / "import", root / "export", root / "system" / kAdminDatabaseFile,
                                 root / "system" / kTemplateDatabaseFile, settingsFile}) {
        EXPECT_TRUE(fs::exists(made)) << made;
    }
    // Nothing beside the settings file in its folder, no settings file in the installation.
    EXPECT_EQ(Tree(dir / "config"), (std::set<fs::path>{dir / "config" / "kalmora", settingsFile}));
    EXPECT_FALSE(fs::exists(root / kDefaultSettingsFileName));

    SettingsFile file;
    file.SettingsFileName = settingsFile.string();
    ScriptedUserInterface ui;
    Settings settings;
    LoadSettings(file, ui, settings);
    EXPECT_EQ(settings.SystemDataPath, (root / "system").string());
    EXPECT_EQ(settings.ImportDataPath, (root / "import").string());
    EXPECT_EQ(settings.Erhebungvon.str(), "20260101");
    EXPECT_EQ(settings.Erhebungbis.str(), "20261231");
    EXPECT_TRUE(ui.Messages().empty());
}

// A refused or failed set-up removes what it made, whatever step failed, and leaves what was there.
TEST(SetUpFirstInstallation, LeavesNothingHalfMade)
{
    struct Case {
        const char* name;
        std::function<void(const TempDir&)> prepare;
        std::string directory;
        bool inTestDirectory;  // else the directory as it stands
        bool referenceFound;
        const char* message;  // part of the refusal; empty: any failure
    };
    const std::string tooLong(250, 'x');
    const auto blockFolder = [](const char* name) { return [name](const TempDir& d) { WriteText(d / name, "x"); }; };
    const Case cases[] = {
        {"not a full path", {}, "Kalmora", false, true, "kein vollständiger Pfad"},
        {"no folder", {}, "", false, true, "Bitte einen Ordner angeben"},
        {"too long for the settings file", {}, tooLong, true, true, "Der Pfad ist zu lang"},
        {"folder below a file", blockFolder("blocker"), "blocker/Kalmora", true, true, ""},
        {"settings file's folder below a file", blockFolder("config"), "Kalmora", true, true, ""},
        {"reference lists missing, after folders and settings file", {}, "home/Kalmora", true, false, ""},
        {"existing folder keeps its files",
         [](const TempDir& d) {
             WriteText(d / "shared" / "notes.txt", "kept");
             fs::create_directories(d / "shared" / "import");
         },
         "shared", true, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        if (c.prepare) c.prepare(dir);
        const auto before = Tree(dir.Path());
        const fs::path directory = c.inTestDirectory ? dir / c.directory : fs::path(c.directory);

        try {
            SetUpFirstInstallation(directory, dir / "config" / "kalmora" / "Kalmora11_0.ini",
                                   c.referenceFound ? kReference : dir / "no-reference", 2026);
            ADD_FAILURE() << "not refused";
        } catch (const std::exception& failure) {
            EXPECT_NE(std::string(failure.what()).find(c.message), std::string::npos) << failure.what();
        }
        EXPECT_EQ(Tree(dir.Path()), before);
    }
}

}  // namespace
}  // namespace kalmora
