// Feeds one import file (name and content) per input to a complete import run on an installation
// that already stores one department, and checks what the run leaves behind: every database passes
// the engine's integrity check, and the stored stays are exactly those the result row and the
// protocol account for. A broken invariant aborts, so the fuzzer keeps the input.
//
// Input: the file name up to the first line feed, then the file's bytes. Without a line feed the
// whole input is the content of a file of the stored department.
#include "FuzzSupport.h"
#include "foundation/FixedText.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "foundation/Windows1252.h"
#include "import/ImportFileName.h"
#include "import/ImportRun.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Setup.h"
#include "support/TempDir.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace kalmora;
using fuzz::Check;
using fuzz::Fail;

constexpr std::string_view kStoredName = "A2100101X002.txt";  // K002 / 12100101, stored as 12100101X002
constexpr std::string_view kStoredDatabase = "12100101X002";
// Two stays with their survey days.
const fs::path kStoredFile = fs::path(KALMORA_SOURCE_DIR) / "tests" / "data" / "import" / "append" / "A2100101X002.txt";

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) Fail("cannot write " + file.string());
}

std::int64_t Count(Database& db, const std::string& sql)
{
    auto count = db.Prepare(sql);
    count.Step();
    return count.Int(0);
}

void CheckIntegrity(Database& db)
{
    auto integrity = db.Prepare("PRAGMA integrity_check");
    Check(integrity.Step() && integrity.Text(0) == "ok", "integrity of " + db.Path().string());
}

// The registered departments: database file by hospital and department.
std::map<std::string, std::string> Departments(Database& admin)
{
    auto rows = admin.Prepare("SELECT \"KANR\" || '/' || \"ABTEILUNG\", \"MDB_DATEI\" FROM \"Dateiverwaltung\"");
    std::map<std::string, std::string> departments;
    while (rows.Step())
        departments[rows.Text(0)] = std::string(TrimBlanks(rows.Text(1)));
    return departments;
}

// One installation for the whole session, set back to its stored state before every input.
class Installation {
public:
    Installation()
    {
        SetupInstallation(m_root, m_root / "k.ini", fs::path(KALMORA_SOURCE_DIR) / "data" / "reference", 2024);
        SettingsFile file;
        file.SettingsFileName = (m_root / "k.ini").string();
        ScriptedUserInterface ui;
        LoadSettings(file, ui, m_settings);

        ImportRun run;
        Check(RunImport(run, {kStoredFile}, "protocol.dat", false, ImportEnvironment{m_settings, ui}) &&
                  run.FileResult == " 2     2    ",
              "stored department: " + run.FileResult);
        for (const auto& entry : fs::directory_iterator(System())) {
            if (entry.path().filename() != "kalmora.lock") m_stored[entry.path().filename()] = ReadBytes(entry.path());
        }
    }
    fs::path System() const { return m_root / "system"; }
    fs::path Import() const { return m_root / "import"; }
    fs::path Protocol() const { return m_root / "export" / "protocol.dat"; }
    const Settings& Config() const { return m_settings; }

    void Reset()
    {
        std::error_code ignored;
        for (const auto& folder : {System(), Import()}) {
            for (const auto& entry : fs::directory_iterator(folder)) {
                if (!m_stored.contains(entry.path().filename()) && entry.path().filename() != "kalmora.lock") {
                    fs::remove_all(entry.path(), ignored);
                }
            }
        }
        for (const auto& [name, bytes] : m_stored)
            WriteBytes(System() / name, bytes);
    }

    std::string StoredDepartment() const { return m_stored.at(fs::path(kStoredDatabase)); }

private:
    test::TempDir m_scratch{fuzz::ScratchBase()};
    const fs::path m_root = m_scratch.Path();
    Settings m_settings;
    std::map<fs::path, std::string> m_stored;
};

// A name the file system can hold, so that the input reaches the import.
std::string FileName(std::string_view raw)
{
    std::string name(raw.substr(0, 200));
    for (char& c : name) {
        if (c == '/' || c == '\0' || c == '\r') c = '_';
    }
    if (name.empty() || name == "." || name == "..") name = kStoredName;
    return name;
}

void CheckRun(const Installation& installation, const std::string& name, bool completed, const ImportRun& run,
              const ScriptedUserInterface& ui)
{
    const fs::path system = installation.System();
    for (const auto& entry : fs::directory_iterator(system))
        Check(!IsScratchDatabaseName(entry.path().filename().string()), "scratch database left behind");
    Check(ui.BusyDepth() == 0, "busy pointer left on");
    Database admin(system / kAdminDatabaseFile, OpenMode::ReadOnly);
    CheckIntegrity(admin);
    const auto departments = Departments(admin);
    if (!completed) {
        // A stopped run stores nothing and says why.
        Check(!ui.Messages().empty() && ui.Messages().back().Text.starts_with(" Fehlerursache unbekannt!"),
              "stopped run without its message");
        Check(departments.size() == 1, "stopped run registered a department");
        Check(ReadBytes(system / kStoredDatabase) == installation.StoredDepartment(), "stopped run changed data");
        return;
    }
    if (!ui.Messages().empty()) Fail("completed run with a message: " + ui.Messages().front().Text);

    // Every protocol line after the header names the file and ends with CR LF.
    const std::string protocol = ReadBytes(installation.Protocol());
    const std::string fileField = EncodeWindows1252(name) + ";";
    std::size_t lines = 0;
    for (std::size_t start = protocol.find("\r\n") + 2; start < protocol.size(); ++lines) {
        const auto end = protocol.find("\r\n", start);
        Check(end != std::string::npos, "protocol line without CR LF");
        Check(protocol.compare(start, fileField.size(), fileField) == 0, "protocol line of another file");
        start = end + 2;
    }

    const std::string& result = run.FileResult;
    const ImportFileNameCodes codes = DeriveImportFileNameCodes(name);
    const auto department = departments.find(codes.Hospital + "/" + codes.Department);
    if (result.starts_with("            ")) {
        // Not stored: no other department came in, and the stored one is as it was, or empty when
        // the file rejected every stay it held.
        Check(departments.size() == 1, "unstored file registered its department: " + result);
        if (ReadBytes(system / kStoredDatabase) == installation.StoredDepartment()) return;
        Check(result.ends_with("kein Datensatz der Satzarten 1 oder 3"), "unstored file changed data: " + result);
        Database emptied(system / kStoredDatabase, OpenMode::ReadOnly);
        CheckIntegrity(emptied);
        Check(Count(emptied, "SELECT count(*) FROM \"Gesamt - Patientenadministration\"") == 0,
              "department with stays left after every stay was rejected");
        return;
    }
    Check(result.size() >= 12, "short result: " + result);
    const int patients = std::atoi(result.substr(0, 6).c_str());
    const int imported = std::atoi(result.substr(6, 6).c_str());
    Check(patients >= imported && imported >= 0, "result numbers: " + result);
    Check((lines > 0) == (result.size() > 12), "protocol and result disagree on findings: " + result);
    Check(patients == imported || lines > 0, "rejected stays without protocol lines");
    Check(department != departments.end(), "stored department not registered");

    Database db(system / department->second, OpenMode::ReadOnly);
    CheckIntegrity(db);
    const auto stays = Count(db, "SELECT count(*) FROM \"Gesamt - Patientenadministration\"");
    // The stored department's two stays stay unless this file delivered them again.
    const std::int64_t earlier = department->second == kStoredDatabase ? 2 : 0;
    Check(stays >= imported && stays <= imported + earlier,
          "stored " + std::to_string(stays) + " stays, result: " + result);
    Check(Count(db, "SELECT count(*) FROM \"Gesamt - Patientenadministration\" WHERE \"FLAG\" NOT IN ('O', 'W')") == 0,
          "stored stay with a passing flag");
    Check(Count(db, "SELECT count(*) FROM \"Gesamt - Patientenadministration\" WHERE \"FLAG\" = 'W'") == 0 || lines > 0,
          "stay with a warning but no protocol line");
    Check(Count(db, "SELECT count(*) FROM \"Gesamt - Patientenadministration\" AS g WHERE \"Satzart_1\" <> 1 OR "
                    "(SELECT count(*) FROM \"Satzart 1 - Patientenadministration Intensiv\" AS r WHERE "
                    "r.\"KIS_ID\" = g.\"KIS_ID\" AND r.\"DOB\" = g.\"DOB\" AND r.\"ADM_DATE\" = g.\"ADM_DATE\") <> 1 "
                    "OR NOT EXISTS (SELECT 1 FROM \"Satzart 3 - TISS28\" AS t WHERE t.\"KIS_ID\" = g.\"KIS_ID\" "
                    "AND t.\"DOB\" = g.\"DOB\" AND t.\"ADM_DATE\" = g.\"ADM_DATE\")") == 0,
          "stored stay without its records");
    for (const char* table : {"\"Satzart 1 - Patientenadministration Intensiv\"", "\"Satzart 3 - TISS28\""}) {
        Check(Count(db, std::string("SELECT count(*) FROM ") + table +
                            " AS r WHERE NOT EXISTS (SELECT 1 FROM \"Gesamt - Patientenadministration\" AS g "
                            "WHERE g.\"KIS_ID\" = r.\"KIS_ID\" AND g.\"DOB\" = r.\"DOB\" AND "
                            "g.\"ADM_DATE\" = r.\"ADM_DATE\")") == 0,
              std::string("record without its stay in ") + table);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Installation installation;
    installation.Reset();

    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto newline = input.find('\n');
    const std::string name = FileName(newline == std::string_view::npos ? kStoredName : input.substr(0, newline));
    const std::string_view content = newline == std::string_view::npos ? input : input.substr(newline + 1);
    const fs::path file = installation.Import() / name;
    WriteBytes(file, content);

    ScriptedUserInterface ui;
    ImportRun run;
    const bool completed = RunImport(run, {file}, "protocol.dat", false, ImportEnvironment{installation.Config(), ui});
    CheckRun(installation, name, completed, run, ui);
    return 0;
}
