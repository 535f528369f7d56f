// The import when something other than the file's data goes wrong: storing fails, an import file
// cannot be read, another run holds the data, a crash left files behind, names and paths hold
// quotes. Stored data must come through every one of them intact.
#include "cli/ImportFileGenerator.h"
#include "foundation/Messages.h"
#include "foundation/SafeFile.h"
#include "foundation/ScriptedUserInterface.h"
#include "foundation/Settings.h"
#include "foundation/Windows1252.h"
#include "import/ImportRun.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"
#include "storage/Setup.h"
#include "support/DepartmentRows.h"
#include "support/ImportInstallation.h"
#include "support/Files.h"
#include "support/SimulatedFaults.h"
#include "support/TempDir.h"
#include "support/Posix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <utility>

namespace kalmora {
namespace {

using test::Changes;
using test::Installation;
using test::kDepartmentFile;
using test::Snapshot;

const std::filesystem::path kCases = std::filesystem::path(KALMORA_TEST_DATA_DIR) / "import";
// Department K002 / 12100101, stored in "12100101X002": two stays, then a second delivery of one
// of them and a new one.
const std::filesystem::path kFirstDelivery = kCases / "append" / "A2100101X002.txt";
const std::filesystem::path kSecondDelivery = kCases / "append" / "B2100101X002.txt";
// The same department, with findings in the protocol.
const std::filesystem::path kWithFindings = kCases / "rejected_stays" / "A2100101X002.txt";

constexpr std::string_view kTwoOfTwo = " 2     2    ";
constexpr std::string_view kStoringFailed = "            schwerwiegende Dateninkonsistenz";
constexpr std::string_view kProtocolHeader =
    "Datei;Krankenanstalt;Abteilung;Satzart;KH-Aufnahmezahl;Geburtsdatum;Aufnahmezeitpunkt;Typ;Parameter;Kommentar"
    "\r\n";

// The stays after the first delivery, and after the second one was added.
const std::string kFirstStays = "1000000001|19600101|202401101200|O|1|3|3\n"
                                "1000000002|19700505|202401150800|O|1|1|1\n";
const std::string kBothStays = "1000000001|19600101|202401101200|O|1|2|2\n"
                               "1000000002|19700505|202401150800|O|1|1|1\n"
                               "1000000003|19800808|202402010700|O|1|2|2\n";

// Leaves a rollback journal for `database` at `journal` as a writer that crashed in the middle of a
// transaction leaves it: the engine replays such a journal into whatever file it finds beside it.
void WriteHotJournal(const std::filesystem::path& database, const std::filesystem::path& journal)
{
    auto live = database;
    live += "-journal";
    Database writer(database);
    // Without syncs the journal's page count is left open, so all of its pages are replayed.
    writer.Execute("PRAGMA synchronous = OFF; BEGIN IMMEDIATE; DELETE FROM \"Gesamt - Patientenadministration\"");
    std::filesystem::copy_file(live, journal, std::filesystem::copy_options::overwrite_existing);
    writer.Execute("ROLLBACK");
}

TEST(ImportFailuresTest, FailureWhileStoringKeepsTheStoredDatabases)
{
    // A delivery that is stored, and one that rejects both stored stays and so empties the department.
    for (const auto& delivery : {kSecondDelivery, kCases / "all_rejected" / "A2100101X002.txt"}) {
        SCOPED_TRACE(delivery);
        Installation installation;
        ASSERT_TRUE(installation.Import({kFirstDelivery}));
        // An existing department's working copy comes from its own database; the template is first
        // needed when the new department database is built. A folder of its name can neither be used
        // nor replaced by a template made anew.
        std::filesystem::remove(installation.System() / kTemplateDatabaseFile);
        std::filesystem::create_directories(installation.System() / kTemplateDatabaseFile / "Ordner");
        const auto before = Snapshot(installation.System());

        ASSERT_TRUE(installation.Import({delivery}));
        EXPECT_EQ(installation.Run.FileResult, kStoringFailed);
        EXPECT_TRUE(installation.Run.ResultRows.Entries[0].ends_with(kStoringFailed));
        EXPECT_EQ(Changes(before, Snapshot(installation.System())), std::vector<std::string>{});
        EXPECT_EQ(installation.StoredStays(), kFirstStays);
        // The fixed text tells the user little; the log tells the IT why, and nothing of the patients.
        const std::string log = test::ReadText(installation.System() / "kalmora.log");
        const std::string reason = "schwerwiegende Dateninkonsistenz: Die Vorlagendatenbank " +
                                   (installation.System() / kTemplateDatabaseFile).string() +
                                   " kann nicht neu angelegt werden";
        EXPECT_NE(log.find(";Import " + delivery.filename().string() + ";" + reason), std::string::npos) << log;
        EXPECT_EQ(log.find("100000000"), std::string::npos) << log;
        // The protocol names the reason too, in a line about the file.
        EXPECT_NE(DecodeWindows1252(installation.Protocol()).find(";K002;12100101;0;;;;Error; ;" + reason),
                  std::string::npos)
            << installation.Protocol();
    }
}

// The registration in the admin database is the last step of storing: when its commit fails, the
// department database already put in place must go back to what it was.
TEST(ImportFailuresTest, FailedRegistrationPutsTheDepartmentDatabaseBack)
{
    // Where the file system has no hard links, the previous database is kept by a rename instead.
    for (const auto& [newDepartment, faults] :
         {std::pair{true, ""}, std::pair{false, ""}, std::pair{false, "no-hard-links"}}) {
        SCOPED_TRACE(std::string(newDepartment ? "new department " : "stored department ") + faults);
        const test::SimulatedFaults simulated(faults);
        Installation installation;
        if (!newDepartment) {
            ASSERT_TRUE(installation.Import({kFirstDelivery}));
        }
        const auto before = Snapshot(installation.System());
        {
            // A reader of the admin database keeps the import from committing: it waits out the engine's
            // busy timeout (5 s), then fails.
            Database reader(installation.System() / kAdminDatabaseFile, OpenMode::ReadOnly);
            reader.Execute("BEGIN");
            auto count = reader.Prepare("SELECT count(*) FROM \"Dateiverwaltung\"");
            ASSERT_TRUE(count.Step());

            ASSERT_TRUE(installation.Import({kSecondDelivery}));
            EXPECT_EQ(installation.Run.FileResult, kStoringFailed);
            count.Reset();
            reader.Execute("COMMIT");
        }
        EXPECT_EQ(Changes(before, Snapshot(installation.System())), std::vector<std::string>{});

        // Nothing is left half-done: the next run stores normally.
        ASSERT_TRUE(installation.Import({kSecondDelivery}));
        EXPECT_EQ(installation.Run.FileResult, kTwoOfTwo);
        EXPECT_EQ(installation.StoredStays(), newDepartment ? "1000000001|19600101|202401101200|O|1|2|2\n"
                                                              "1000000003|19800808|202402010700|O|1|2|2\n"
                                                            : kBothStays);
    }
}

TEST(ImportFailuresTest, UnreadableImportFileStopsTheRunAndKeepsTheData)
{
    struct Case {
        const char* Name;
        std::function<void(const std::filesystem::path&)> Make;
    };
    const Case cases[] = {
        {"missing file", [](const std::filesystem::path&) {}},
        {"directory in its place",
         [](const std::filesystem::path& file) { std::filesystem::create_directories(file); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Installation installation;
        ASSERT_TRUE(installation.Import({kFirstDelivery}));
        const auto before = Snapshot(installation.System());
        // A valid name, so that the failure comes from reading.
        const auto unreadable = installation.Scratch() / "A2100101X002.txt";
        c.Make(unreadable);

        EXPECT_FALSE(installation.Import({unreadable}));
        ASSERT_FALSE(installation.Ui.Messages().empty());
        const auto& message = installation.Ui.Messages().back();
        EXPECT_TRUE(message.Text.starts_with(" Fehlerursache unbekannt!\n")) << message.Text;
        EXPECT_NE(message.Text.find(unreadable.string()), std::string::npos) << message.Text;
        EXPECT_EQ(installation.Protocol(), kProtocolHeader);
        EXPECT_EQ(Changes(before, Snapshot(installation.System())), std::vector<std::string>{});
        EXPECT_EQ(installation.Ui.BusyDepth(), 0);
        EXPECT_EQ(installation.Ui.StatusText(1), " Bereit");

        // The program goes on: the same state serves the next run.
        ASSERT_TRUE(installation.Import({kSecondDelivery}));
        EXPECT_EQ(installation.Run.FileResult, kTwoOfTwo);
        EXPECT_EQ(installation.StoredStays(), kBothStays);
    }
}

TEST(ImportFailuresTest, StoppedRunKeepsTheProtocolOfTheFilesBefore)
{
    Installation reference;
    ASSERT_TRUE(reference.Import({kWithFindings}));

    Installation installation;
    EXPECT_FALSE(installation.Import({kWithFindings, installation.Scratch() / "A2100101X002.txt"}));
    EXPECT_EQ(installation.Protocol(), reference.Protocol());
    EXPECT_EQ(installation.Run.ResultRows.Entries[0], reference.Run.ResultRows.Entries[0]);
    EXPECT_EQ(installation.StoredStays(), reference.StoredStays());
    EXPECT_EQ(test::ScratchDatabasesIn(installation.System()), std::vector<std::string>{});
}

TEST(ImportFailuresTest, RunIsRefusedWhileAnotherHoldsTheData)
{
    Installation installation;
    ASSERT_TRUE(installation.Import({kFirstDelivery}));
    test::WriteText(installation.Export() / "protocol.dat", "letzter Lauf\r\n");
    {
        const ExclusiveLock other(SystemDataLockFile(installation.Config));
        const auto before = Snapshot(installation.Root());

        EXPECT_FALSE(installation.Import({kSecondDelivery}));
        ASSERT_FALSE(installation.Ui.Messages().empty());
        EXPECT_NE(installation.Ui.Messages().back().Text.find("Ein anderer Import oder Export arbeitet gerade"),
                  std::string::npos)
            << installation.Ui.Messages().back().Text;
        EXPECT_EQ(Changes(before, Snapshot(installation.Root())), std::vector<std::string>{});
    }
    ASSERT_TRUE(installation.Import({kSecondDelivery}));
    EXPECT_EQ(installation.StoredStays(), kBothStays);
}

// A user interface that lets another run in at the moment this one begins to store.
class InterruptedUserInterface : public ScriptedUserInterface {
public:
    std::function<void()> AtStoring;

    void SetStatusText(int panel, std::string_view text) override
    {
        ScriptedUserInterface::SetStatusText(panel, text);
        if (text == " Importiere gültige Datensätze " && AtStoring) std::exchange(AtStoring, nullptr)();
    }
};

// A second run gets past the lock while the first works: its lock file was removed (it looks stale
// between runs), or the share does not carry locks between workstations. The first run must not put
// its database over the second one's stays; it tells why instead.
TEST(ImportFailuresTest, ARunThatGotPastTheLockKeepsItsStays)
{
    Installation reference;
    ASSERT_TRUE(reference.Import({kFirstDelivery}));
    ASSERT_TRUE(reference.Import({kWithFindings}));
    const std::string secondRunsStays = reference.StoredStays();

    struct Case {
        const char* Name;
        std::function<std::optional<test::SimulatedFaults>(const Installation&)> LetIn;
        std::string_view Reason;
    };
    std::vector<Case> cases = {
        {"locks not carried by the share",
         [](const Installation&) { return std::optional<test::SimulatedFaults>(std::in_place, "unshared-locks"); },
         "wurde während des Imports von einem anderen Programm geändert"},
    };
#ifndef _WIN32
    // Windows may keep a removed lock file's name while the lock is held (Wine always does): no run
    // gets past it there.
    cases.push_back({"lock file removed",
                     [](const Installation& i) {
                         std::filesystem::remove(i.System() / "kalmora.lock");
                         return std::optional<test::SimulatedFaults>();
                     },
                     "Die Sperrdatei "});
#endif
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Installation installation;
        ASSERT_TRUE(installation.Import({kFirstDelivery}));
        InterruptedUserInterface ui;
        ui.AtStoring = [&] {
            const auto simulated = c.LetIn(installation);
            ASSERT_TRUE(installation.Import({kWithFindings}));
            EXPECT_NE(installation.Run.FileResult, kStoringFailed);
        };
        ImportRun first;
        ASSERT_TRUE(
            RunImport(first, {kSecondDelivery}, "erster.dat", false, ImportEnvironment{installation.Config, ui}));
        EXPECT_TRUE(ui.AtStoring == nullptr) << "the first run never began to store";

        EXPECT_EQ(first.FileResult, kStoringFailed);
        EXPECT_EQ(installation.StoredStays(), secondRunsStays);
        const std::string protocol = DecodeWindows1252(test::ReadText(installation.Export() / "erster.dat"));
        EXPECT_NE(protocol.find(c.Reason), std::string::npos) << protocol;
        // The next run finds everything in order.
        ASSERT_TRUE(installation.Import({kSecondDelivery}));
        EXPECT_EQ(installation.Run.FileResult, kTwoOfTwo);
    }
}

// Once the new department file is in place the stays are stored: what fails afterwards (syncing the
// folder, removing the previous file, giving up the admin database's lock after its commit) is told as
// a warning in the protocol and the log, and the file counts as stored. What fails before leaves the
// department as it was, without a previous file beside it.
TEST(ImportFailuresTest, AFailureAfterTheNewFileIsInPlaceIsAWarning)
{
    struct Case {
        const char* Fault;
        bool Stored;
        std::string Told;  // in the protocol and the log
    };
    const Case cases[] = {
        {"fail-sync=system@1", false, "Ein-/Ausgabefehler"},  // after keeping the previous file
        {"fail-sync=system@2", true, "Das Verzeichnis konnte nicht gesichert werden"},  // after the rename
        {"fail-remove=12100101X002.old", true, "Die vorige Datenbank 12100101X002.old konnte nicht entfernt werden"},
        {"fail-unlock=iadmin.mdb", true,
         "Die Verwaltungsdatenbank ist gespeichert, ihre Sperre wurde danach nicht aufgehoben"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Fault);
        Installation installation;
        ASSERT_TRUE(installation.Import({kFirstDelivery}));
        {
            const test::SimulatedFaults failing(c.Fault);
            ASSERT_TRUE(installation.Import({kSecondDelivery}));
        }
        const std::string protocol = DecodeWindows1252(installation.Protocol());
        const std::string log = test::ReadText(installation.System() / "kalmora.log");
        if (c.Stored) {
            EXPECT_EQ(installation.Run.FileResult, " 2     2    Detailinformation siehe Protokolldatei");
            EXPECT_EQ(installation.Run.FilesStored, 1);
            EXPECT_EQ(installation.StoredStays(), kBothStays);
            EXPECT_NE(protocol.find(";Warning; ;Daten gespeichert, danach: " + c.Told), std::string::npos) << protocol;
        } else {
            EXPECT_EQ(installation.Run.FileResult, kStoringFailed);
            EXPECT_EQ(installation.StoredStays(), kFirstStays);
            EXPECT_FALSE(std::filesystem::exists(installation.System() / (std::string(kDepartmentFile) + ".old")));
        }
        EXPECT_NE(protocol.find(c.Told), std::string::npos) << protocol;
        EXPECT_NE(log.find(c.Told), std::string::npos) << log;

        // The next run settles what is left and works.
        ASSERT_TRUE(installation.Import({kSecondDelivery}));
        EXPECT_EQ(installation.Run.FileResult, kTwoOfTwo);
        EXPECT_EQ(installation.StoredStays(), kBothStays);
        EXPECT_FALSE(std::filesystem::exists(installation.System() / (std::string(kDepartmentFile) + ".old")));
    }
}

// A department database that cannot be used stops only its own file: the file is reported as not
// stored, with what was found in the protocol and the log, the department's file stays as it is, and
// the run goes on with the next file.
TEST(ImportFailuresTest, ADepartmentFileThatCannotBeUsedStopsOnlyItsFile)
{
    struct Case {
        const char* Name;
        std::function<void(const std::filesystem::path& department, const Installation&)> Spoil;
        std::string Found;  // what the protocol and the log say was found
    };
    std::optional<Database> holder;
    const Case cases[] = {
        {"missing", [](const std::filesystem::path& file, const Installation&) { std::filesystem::remove(file); },
         "der Abteilung wurde nicht gefunden"},
        {"empty", [](const std::filesystem::path& file, const Installation&) { test::WriteText(file, ""); },
         "es fehlt die Tabelle Gesamt - Patientenadministration"},
        {"a text file", [](const std::filesystem::path& file, const Installation&) { test::WriteText(file, "Notiz"); },
         "die Datei ist beschädigt oder keine Datenbank"},
        {"the admin database copied over it",
         [](const std::filesystem::path& file, const Installation& i) {
             test::WriteText(file, test::ReadText(i.System() / kAdminDatabaseFile));
         },
         "es fehlt die Tabelle Gesamt - Patientenadministration"},
        // The engine's busy timeout is waited for first.
        {"held by another program",
         [&holder](const std::filesystem::path& file, const Installation&) {
             holder.emplace(file);
             holder->Execute("BEGIN EXCLUSIVE");
         },
         "wird gerade von einem anderen Programm verwendet"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Installation installation;
        ASSERT_TRUE(installation.Import({kFirstDelivery}));
        const auto department = installation.System() / kDepartmentFile;
        const auto other = cli::GenerateImportFile(installation.Scratch(), {.Hospital = "K002", .Stays = 5}).Path;
        c.Spoil(department, installation);
        const std::string before = test::ReadText(department);

        ASSERT_TRUE(installation.Import({kSecondDelivery, other}));
        holder.reset();
        EXPECT_TRUE(installation.Run.ResultRows.Entries[0].ends_with(kStoringFailed))
            << installation.Run.ResultRows.Entries[0];
        EXPECT_EQ(installation.Run.FilesStored, 1);
        EXPECT_FALSE(installation.Run.ResultRows.Entries[1].ends_with(kStoringFailed))
            << installation.Run.ResultRows.Entries[1];
        EXPECT_EQ(test::ReadText(department), before);
        const std::string protocol = DecodeWindows1252(installation.Protocol());
        EXPECT_NE(protocol.find(";K002;12100101;0;;;;Error; ;schwerwiegende Dateninkonsistenz: "), std::string::npos)
            << protocol;
        EXPECT_NE(protocol.find(c.Found), std::string::npos) << protocol;
        EXPECT_EQ(protocol.find("WAL-Modus"), std::string::npos) << protocol;
        EXPECT_NE(test::ReadText(installation.System() / "kalmora.log").find(c.Found), std::string::npos);
    }
}

// A symbolic link in place of a department database or the lock file is refused: replacing the
// link would leave its target with the old data, and following it would write somewhere else.
TEST(ImportFailuresTest, SymbolicLinksAreRefusedAndLeftAsTheyAre)
{
    Installation installation;
    ASSERT_TRUE(installation.Import({kFirstDelivery}));
    const auto department = installation.System() / kDepartmentFile;
    const auto elsewhere = installation.Scratch() / "elsewhere.mdb";
    std::filesystem::create_directories(installation.Scratch());
    std::filesystem::rename(department, elsewhere);
    KALMORA_SYMLINK_OR_SKIP(elsewhere, department);
    const auto before = Snapshot(installation.Scratch());

    ASSERT_TRUE(installation.Import({kSecondDelivery}));
    EXPECT_EQ(installation.Run.FileResult, kStoringFailed);
    EXPECT_NE(DecodeWindows1252(installation.Protocol()).find("ist eine symbolische Verknüpfung"), std::string::npos)
        << installation.Protocol();
    EXPECT_TRUE(std::filesystem::is_symlink(department));
    EXPECT_EQ(Changes(before, Snapshot(installation.Scratch())), std::vector<std::string>{});
    std::filesystem::remove(department);
    std::filesystem::rename(elsewhere, department);

    // A lock file that is a link, even one to nowhere, is not followed.
    const auto lockFile = installation.System() / "kalmora.lock";
    const auto lockTarget = installation.Scratch() / "made-by-the-lock";
    std::filesystem::remove(lockFile);
    KALMORA_SYMLINK_OR_SKIP(lockTarget, lockFile);
    EXPECT_FALSE(installation.Import({kSecondDelivery}));
    ASSERT_FALSE(installation.Ui.Messages().empty());
    EXPECT_NE(installation.Ui.Messages().back().Text.find("symbolische Verknüpfung"), std::string::npos)
        << installation.Ui.Messages().back().Text;
    EXPECT_FALSE(std::filesystem::exists(lockTarget));
    EXPECT_EQ(installation.StoredStays(), kFirstStays);
}

TEST(ImportFailuresTest, FilesLeftByACrashDoNotDisturbTheNextImport)
{
    struct Case {
        const char* Name;
        std::function<void(const Installation&)> Make;
        std::vector<std::string> Kept;  // files of the users, which stay
    };
    const auto departmentSibling = [](const Installation& installation, std::string_view suffix) {
        return installation.System() / (std::string(kDepartmentFile) + std::string(suffix));
    };
    const Case cases[] = {
        {"garbage scratch database of a killed run",
         [](const Installation& i) {
             test::WriteText(i.System() / "temp.~kalmora.4711.mdb", "kein Datenbankinhalt");
             test::WriteText(i.System() / "temp.~kalmora.4711.mdb-journal", "kein Journal");
         },
         {}},
        {"the users' files under names older versions gave their scratch databases",
         [](const Installation& i) {
             test::WriteText(i.System() / "temp.mdb", "kein Datenbankinhalt");
             test::WriteText(i.System() / "temp.4711.mdb", "kein Datenbankinhalt");
         },
         {"temp.4711.mdb", "temp.mdb"}},
        {"journal of another database under a name of the users",
         [](const Installation& i) {
             // A database with a stay that no import file delivers; replayed, it would show up.
             const auto other = i.Scratch() / "other.mdb";
             std::filesystem::create_directories(i.Scratch());
             std::filesystem::copy_file(i.System() / kTemplateDatabaseFile, other);
             {
                 Database db(other);
                 test::AddStay(db, {.KisId = "GEIST00001"});
             }
             WriteHotJournal(other, i.System() / "temp.mdb-journal");
         },
         {"temp.mdb-journal"}},
        {"half-built department database",
         [&](const Installation& i) { test::WriteText(departmentSibling(i, kBuildingSuffix), "halb"); },
         {}},
        {"half-built department database of an older version",
         [&](const Installation& i) { test::WriteText(departmentSibling(i, ".new"), "halb"); },
         {}},
        {"kept previous department database",
         [&](const Installation& i) { test::WriteText(departmentSibling(i, ".old"), "alt"); },
         {}},
        {"previous department database of a run killed between its renames (no hard links)",
         [&](const Installation& i) {
             std::filesystem::rename(i.System() / kDepartmentFile, departmentSibling(i, ".old"));
         },
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Installation installation;
        ASSERT_TRUE(installation.Import({kFirstDelivery}));
        c.Make(installation);

        ASSERT_TRUE(installation.Import({kSecondDelivery}));
        EXPECT_EQ(installation.Run.FileResult, kTwoOfTwo);
        EXPECT_EQ(installation.StoredStays(), kBothStays);
        for (const auto& name : Snapshot(installation.System())) {
            EXPECT_TRUE(name.first == "iadmin.mdb" || name.first == "ibds.mdb" || name.first == kDepartmentFile ||
                        std::find(c.Kept.begin(), c.Kept.end(), name.first) != c.Kept.end())
                << "left behind: " << name.first;
        }
        for (const auto& name : c.Kept)
            EXPECT_TRUE(std::filesystem::exists(installation.System() / name)) << name;
    }
}

// A writer of the department database that crashed (any program working on it in place) leaves a
// journal beside it. The import replaces the file; the old journal must not be replayed into the new one,
// or the run would report its stays as imported while the department holds the old ones again.
// Another tool has the department database open in write-ahead-log mode, its last change (the
// removal of a stay) still in the log: a copy of the file alone would bring the stay back. The import
// refuses the file with a clear message and leaves it to the tool.
TEST(ImportFailuresTest, ADatabaseAnotherToolHoldsInWriteAheadLogModeIsRefused)
{
    Installation installation;
    ASSERT_TRUE(installation.Import({kFirstDelivery}));
    {
        Database tool(installation.System() / kDepartmentFile);
        tool.Execute("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0");
        for (const char* table : {"\"Gesamt - Patientenadministration\"",
                                  "\"Satzart 1 - Patientenadministration Intensiv\"", "\"Satzart 3 - TISS28\""})
            tool.Execute(std::string("DELETE FROM ") + table + " WHERE \"KIS_ID\" = '1000000002'");

        ASSERT_TRUE(installation.Import({kSecondDelivery}));
        EXPECT_EQ(installation.Run.FileResult, kStoringFailed);
        EXPECT_NE(installation.Protocol().find("im WAL-Modus"), std::string::npos) << installation.Protocol();
    }
    // The tool's change is kept, and nothing of the refused file came in.
    EXPECT_EQ(installation.StoredStays(), "1000000001|19600101|202401101200|O|1|3|3\n");
}

TEST(ImportFailuresTest, JournalLeftBesideTheDepartmentDatabaseIsNotReplayedIntoTheNewOne)
{
    Installation installation;
    ASSERT_TRUE(installation.Import({kFirstDelivery}));
    const auto department = installation.System() / kDepartmentFile;
    auto journal = department;
    journal += "-journal";
    std::filesystem::create_directories(installation.Scratch());
    WriteHotJournal(department, installation.Scratch() / "crashed-journal");
    std::filesystem::copy_file(installation.Scratch() / "crashed-journal", journal);

    ASSERT_TRUE(installation.Import({kSecondDelivery}));
    EXPECT_EQ(installation.Run.FileResult, kTwoOfTwo);
    EXPECT_EQ(installation.StoredStays(), kBothStays);
}

TEST(ImportFailuresTest, QuotesInAdmissionNumbersAndPathsAreData)
{
    Installation installation("o'inst'");
    // A stay of one day with its survey day; its admission number holds quotes.
    const auto file = installation.Scratch() / "A2100101X002.txt";
    test::WriteText(file, "1K00212100101O'Neil'00119700505202401150800                      2024011510151202401202\r\n"
                          "3K00212100101O'Neil'00119700505202401150800202401151100000000000000000000000000000\r\n"
                          "$                 2     0     0     0\r\n");
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(installation.Import({file})) << installation.Ui.Messages().back().Text;
        EXPECT_EQ(installation.Run.FileResult, " 1     1    ");
        EXPECT_EQ(installation.Protocol(), kProtocolHeader);
        // Delivered again, the stay replaces itself.
        EXPECT_EQ(installation.StoredStays(), "O'Neil'001|19700505|202401150800|O|1|1|1\n");
    }
    Database db(installation.System() / kDepartmentFile, OpenMode::ReadOnly);
    auto hours = db.Prepare("SELECT \"STUNDEN\" FROM \"Satzart 3 - TISS28\" WHERE \"KIS_ID\" = ?");
    hours.Bind(1, "O'Neil'001");
    ASSERT_TRUE(hours.Step());
    EXPECT_EQ(hours.Text(0), "2 ");
}

}  // namespace
}  // namespace kalmora
