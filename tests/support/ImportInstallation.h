#pragma once

#include "foundation/Utf8Path.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "import/ImportRun.h"
#include "storage/Database.h"
#include "storage/Setup.h"
#include "support/Files.h"
#include "support/TempDir.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// An installation for import tests, and snapshots of its files.
namespace kalmora::test {

// Department K002 / 12100101 of the import cases, stored in "12100101X002".
inline constexpr std::string_view kDepartmentFile = "12100101X002";

// Every file below `root` with its bytes, but for the run's lock file, which holds nothing, and the
// diagnostic log, which is no data.
using Files = std::map<std::string, std::string>;

inline Files Snapshot(const std::filesystem::path& root)
{
    Files files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name != "kalmora.lock" && !name.starts_with("kalmora.log")) {
            files[std::filesystem::relative(entry.path(), root).string()] = ReadText(entry.path());
        }
    }
    return files;
}

// The names of the files that were added, removed or changed (databases are not worth printing).
inline std::vector<std::string> Changes(const Files& before, const Files& after)
{
    std::vector<std::string> changes;
    for (const auto& [name, bytes] : before) {
        const auto found = after.find(name);
        if (found == after.end()) {
            changes.push_back("removed " + name);
        } else if (found->second != bytes) {
            changes.push_back("changed " + name);
        }
    }
    for (const auto& [name, bytes] : after) {
        if (!before.contains(name)) changes.push_back("added " + name);
    }
    return changes;
}

// An installation made as the set-up command makes it, with its settings loaded.
class Installation {
public:
    explicit Installation(const std::string& folder = "inst") : m_root(m_dir / folder)
    {
        SetupInstallation(m_root, m_root / "k.ini", std::filesystem::path(KALMORA_SOURCE_DIR) / "data" / "reference",
                          2024);
        SettingsFile file;
        file.SettingsFileName = (m_root / "k.ini").string();
        LoadSettings(file, Ui, Config);
    }

    // One run with its own protocol "protocol.dat"; the run's state carries over from run to run,
    // as the program's does.
    bool Import(const std::vector<std::filesystem::path>& files, bool initialise = false)
    {
        return RunImport(Run, files, "protocol.dat", initialise, ImportEnvironment{Config, Ui});
    }

    std::filesystem::path System() const { return m_root / "system"; }
    std::filesystem::path Export() const { return m_root / "export"; }
    std::filesystem::path Root() const { return m_root; }
    std::filesystem::path Scratch() const { return m_dir / "scratch"; }
    std::string Protocol() const { return ReadText(Export() / "protocol.dat"); }

    // The stays of a stored department database, by key.
    std::string StoredStays(std::string_view file = kDepartmentFile)
    {
        Database db(System() / PathFromUtf8(file));
        auto integrity = db.Prepare("PRAGMA integrity_check");
        integrity.Step();
        std::string stays = integrity.Text(0) == "ok" ? "" : "integrity: " + integrity.Text(0) + "\n";
        auto rows = db.Prepare("SELECT \"KIS_ID\", \"DOB\", \"ADM_DATE\", \"FLAG\", \"Satzart_1\", \"Satzart_3\", "
                               "(SELECT count(*) FROM \"Satzart 3 - TISS28\" AS t WHERE t.\"KIS_ID\" = g.\"KIS_ID\") "
                               "FROM \"Gesamt - Patientenadministration\" AS g ORDER BY \"KIS_ID\"");
        while (rows.Step()) {
            stays += rows.Text(0) + "|" + rows.Text(1) + "|" + rows.Text(2) + "|" + rows.Text(3) + "|" + rows.Text(4) +
                     "|" + rows.Text(5) + "|" + rows.Text(6) + "\n";
        }
        return stays;
    }

    Settings Config;
    ScriptedUserInterface Ui;
    ImportRun Run;

private:
    TempDir m_dir;
    std::filesystem::path m_root;
};

}  // namespace kalmora::test
