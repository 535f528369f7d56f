#pragma once

#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Setup.h"
#include "support/TempDir.h"

#include <QtGlobal>

#include <filesystem>
#include <string>
#include <vector>

namespace kalmora::test {

// Sets up an installation in `dir` (settings file "Kalmora11_0.ini"), copies the fixture files into
// its import directory and imports them in order; `config` holds the loaded settings afterwards.
inline void SetUpImportedInstallation(const TempDir& dir, SettingsFile& iniFile, Settings& config,
                                      const std::vector<std::filesystem::path>& fixtures)
{
    namespace fs = std::filesystem;
    SetupInstallation(dir.Path(), dir / "Kalmora11_0.ini", fs::path(KALMORA_SOURCE_DIR) / "data" / "reference", 2024);
    iniFile.SettingsFileName = (dir / "Kalmora11_0.ini").string();
    std::vector<fs::path> files;
    for (const auto& fixture : fixtures) {
        files.push_back(dir / "import" / fixture.filename());
        fs::copy_file(fixture, files.back());
    }
    ScriptedUserInterface importUi;
    LoadSettings(iniFile, importUi, config);
    ImportRun run;
    if (!RunImport(run, files, "protocol.dat", false, ImportEnvironment{config, importUi})) {
        qFatal("the fixture was not imported");
    }
}

// Adds to the imported installation of the append case a second department "12510101", a copy of
// "12100101" that keeps only its first stay.
inline void AddFirstStayCopy(const std::filesystem::path& system)
{
    std::filesystem::copy_file(system / "12100101X002", system / "12510101X002");
    Database(system / "12510101X002")
        .Execute("DELETE FROM \"Gesamt - Patientenadministration\" WHERE rowid > "
                 "(SELECT min(rowid) FROM \"Gesamt - Patientenadministration\")");
    Database(system / std::string(kAdminDatabaseFile))
        .Execute("INSERT INTO \"Dateiverwaltung\" (\"KANR\", \"ABTEILUNG\", \"MDB_DATEI\", \"Status\") "
                 "SELECT \"KANR\", '12510101', '12510101X002', \"Status\" FROM \"Dateiverwaltung\"");
}

}  // namespace kalmora::test
