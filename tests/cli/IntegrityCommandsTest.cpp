// Damaged department databases: the import, the export and the classification leave them untouched,
// and `check` reports them.
#include "cli/CliCommands.h"

#include "foundation/Platform.h"
#include "storage/Database.h"
#include "storage/FileSafety.h"
#include "storage/Schema.h"
#include "support/CliRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace kalmora {
namespace {

using Outcome = test::CliOutcome;

namespace fs = std::filesystem;

const fs::path kData = fs::path(KALMORA_TEST_DATA_DIR);
const fs::path kImportFile = kData / "classification" / "A2100101X002.txt";

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::size_t PageSize(const std::string& bytes)
{
    const auto size =
        static_cast<std::size_t>(static_cast<unsigned char>(bytes[16]) << 8 | static_cast<unsigned char>(bytes[17]));
    return size == 1 ? 65536 : size;
}

// The kind of b-tree page the byte at `offset` lies in (0x0D a table leaf, 0x0A an index leaf).
unsigned char PageKind(const std::string& bytes, std::size_t offset)
{
    const std::size_t page = offset / PageSize(bytes);
    return static_cast<unsigned char>(bytes[page * PageSize(bytes) + (page == 0 ? 100 : 0)]);
}

// Changes one digit of a stay's admission number in a table page: the row no longer matches its
// index entries, which only the full check finds.
void ChangeKeyInTablePage(const fs::path& file)
{
    std::string key;
    {
        Database database(file, OpenMode::ReadOnly);
        auto first = database.Prepare("SELECT \"KIS_ID\" FROM " + QuoteIdentifier(kStaysTable) + " LIMIT 1");
        ASSERT_TRUE(first.Step());
        key = first.Text(0);
    }
    std::string bytes = ReadBytes(file);
    for (auto at = bytes.find(key); at != std::string::npos; at = bytes.find(key, at + 1)) {
        if (PageKind(bytes, at) != 0x0D) continue;
        const std::size_t digit = at + key.find_last_of("0123456789");
        bytes[digit] = bytes[digit] == '9' ? '8' : static_cast<char>(bytes[digit] + 1);
        WriteBytes(file, bytes);
        return;
    }
    FAIL() << "no table page holds " << key;
}

// Zeroes the first index leaf page.
void ZeroIndexPage(const fs::path& file)
{
    std::string bytes = ReadBytes(file);
    const std::size_t size = PageSize(bytes);
    for (std::size_t page = 1; page * size < bytes.size(); ++page) {
        if (static_cast<unsigned char>(bytes[page * size]) != 0x0A) continue;
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(page * size), size, '\0');
        WriteBytes(file, bytes);
        return;
    }
    FAIL() << "no index page";
}

class IntegrityCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Run({"setup", (dir / "inst").string()}).Status, 0);
        const Outcome imported = Command({"import", kImportFile.string()});
        ASSERT_EQ(imported.Status, 0) << imported.Err;
    }

    Outcome Run(const std::vector<std::string>& arguments)
    {
        return test::RunCliInProcess(arguments, dir / "bin", 2024);
    }

    Outcome Command(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {"--ini", (dir / "inst" / "Kalmora11_0.ini").string()});
        return Run(arguments);
    }

    fs::path Department() const { return dir / "inst" / "system" / "12100101X002"; }

    test::TempDir dir;
};

TEST_F(IntegrityCommandsTest, CheckReportsEverySoundFile)
{
    const Outcome outcome = Command({"check"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out, (dir / "inst" / "system" / "iadmin.mdb").string() + ": ok\n" +
                               (dir / "inst" / "system" / "ibds.mdb").string() + ": ok\n" + Department().string() +
                               ": ok\n");
}

// Runs SQL on a database as another tool would.
void Alter(const fs::path& file, const std::string& sql)
{
    Database database(file);
    database.Execute(sql);
}

// A department database that is damaged, or a file of another layout in its place, is never taken for
// a department: every command refuses it and leaves it as it is, and `check` names what is wrong.
TEST_F(IntegrityCommandsTest, DamagedDepartmentIsRefusedAndNeverWritten)
{
    struct Case {
        const char* Name;
        std::function<void(const fs::path& department, const fs::path& admin)> Damage;
        std::string Problem;  // what `check` says of it
    };
    const std::string stays = "Gesamt - Patientenadministration";
    const Case cases[] = {
        {"changed key in a table page", [](const fs::path& file, const fs::path&) { ChangeKeyInTablePage(file); },
         "Tabellen oder Indizes sind fehlerhaft"},
        {"zeroed index page", [](const fs::path& file, const fs::path&) { ZeroIndexPage(file); },
         "Tabellen oder Indizes sind fehlerhaft"},
        {"empty file", [](const fs::path& file, const fs::path&) { WriteBytes(file, ""); },
         "es fehlt die Tabelle " + stays},
        {"the admin database copied over it",
         [](const fs::path& file, const fs::path& admin) { WriteBytes(file, ReadBytes(admin)); },
         "es fehlt die Tabelle " + stays},
        {"a column dropped",
         [&](const fs::path& file, const fs::path&) {
             Alter(file, "ALTER TABLE \"" + stays + "\" DROP COLUMN \"STUNDEN\"");
         },
         "in der Tabelle " + stays + " fehlt die Spalte STUNDEN"},
        {"an index dropped", [](const fs::path& file, const fs::path&) { Alter(file, "DROP INDEX \"DOB_Index\""); },
         "es fehlt der Index DOB_Index"},
        {"a table added", [](const fs::path& file, const fs::path&) { Alter(file, "CREATE TABLE Notizen (x)"); },
         "unerwartet ist die Tabelle Notizen"},
        {"the trigger that removes a stay's records changed",
         [&](const fs::path& file, const fs::path&) {
             Alter(file, "DROP TRIGGER \"" + stays + ".Cascade\"; CREATE TRIGGER \"" + stays +
                             ".Cascade\" AFTER DELETE ON \"" + stays + "\" BEGIN SELECT 1; END");
         },
         "der Trigger " + stays + ".Cascade hat nicht den erwarteten Aufbau"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(dir / "inst");
        SetUp();
        c.Damage(Department(), dir / "inst" / "system" / "iadmin.mdb");
        const std::string damaged = ReadBytes(Department());

        const Outcome imported = Command({"import", "--yes", kImportFile.string()});
        EXPECT_EQ(imported.Status, 3) << imported.Out << imported.Err;
        EXPECT_NE(imported.Out.find("schwerwiegende Dateninkonsistenz"), std::string::npos) << imported.Out;
        const std::string protocol = ReadBytes(dir / "inst" / "export" / "protocol.dat");
        EXPECT_NE(protocol.find("12100101X002"), std::string::npos) << protocol;
        EXPECT_EQ(ReadBytes(Department()), damaged);

        const Outcome exported = Command({"export"});
        EXPECT_EQ(exported.Status, 2);
        EXPECT_NE(exported.Err.find("12100101X002"), std::string::npos) << exported.Err;
        EXPECT_FALSE(fs::exists(dir / "inst" / "export" / "gesamt.mdb"));
        EXPECT_EQ(ReadBytes(Department()), damaged);

        const Outcome classified = Command({"classify", "K002/12100101"});
        EXPECT_EQ(classified.Status, 2);
        EXPECT_NE(classified.Err.find("12100101X002"), std::string::npos) << classified.Err;
        EXPECT_EQ(ReadBytes(Department()), damaged);

        const Outcome checked = Command({"check"});
        EXPECT_EQ(checked.Status, 2);
        EXPECT_NE(checked.Out.find("iadmin.mdb: ok\n"), std::string::npos) << checked.Out;
        EXPECT_NE(checked.Out.find(Department().string() + ": " + c.Problem + "\n"), std::string::npos) << checked.Out;
        EXPECT_EQ(ReadBytes(Department()), damaged);
    }
}

// The admin database is checked against its schema as well, and a command that cannot open it says
// what it found: another program holding it, or a file that is no database.
TEST_F(IntegrityCommandsTest, TheAdminDatabaseIsCheckedAndWhatIsFoundNamed)
{
    const auto admin = dir / "inst" / "system" / "iadmin.mdb";
    const std::string sound = ReadBytes(admin);
    Alter(admin, "DROP INDEX \"MDBIndex\"");
    Outcome checked = Command({"check"});
    EXPECT_EQ(checked.Status, 2);
    EXPECT_NE(checked.Out.find(admin.string() + ": es fehlt der Index MDBIndex\n"), std::string::npos) << checked.Out;

    WriteBytes(admin, "Notizen der Station");
    checked = Command({"check"});
    EXPECT_EQ(checked.Status, 2);
    EXPECT_NE(checked.Err.find("die Datei ist beschädigt oder keine Datenbank"), std::string::npos) << checked.Err;
    EXPECT_EQ(checked.Err.find("WAL"), std::string::npos) << checked.Err;

    WriteBytes(admin, sound);
    {
        Database holder(admin);
        holder.Execute("BEGIN EXCLUSIVE");
        const Outcome imported = Command({"import", "--yes", kImportFile.string()});
        EXPECT_EQ(imported.Status, 2);
        EXPECT_NE(imported.Err.find("wird gerade von einem anderen Programm verwendet"), std::string::npos)
            << imported.Err;
        EXPECT_EQ(imported.Err.find("WAL"), std::string::npos) << imported.Err;
        holder.Execute("ROLLBACK");
    }
    EXPECT_EQ(Command({"check"}).Status, 0);
}

// A department database that a killed run left only as its previous file is put back by whichever
// reads it first (under the lock), and named while another run holds the lock; a previous file that
// cannot be settled is named by `check`, and nothing is stored over it.
TEST_F(IntegrityCommandsTest, APreviousFileIsPutBackOrNamed)
{
    const auto previous = fs::path(Department().string() + ".old");
    const std::string stays = Command({"stays", "K002/12100101"}).Out;
    {
        const ExclusiveLock importRunning(dir / "inst" / "system" / "kalmora.lock");
        fs::rename(Department(), previous);
        const Outcome waiting = Command({"stays", "K002/12100101"});
        EXPECT_EQ(waiting.Status, 2);
        EXPECT_NE(waiting.Err.find("fehlt; ihre Vorgängerin 12100101X002.old"), std::string::npos) << waiting.Err;
    }
    EXPECT_EQ(Command({"stays", "K002/12100101"}).Out, stays);
    EXPECT_TRUE(fs::exists(Department()));
    EXPECT_FALSE(fs::exists(previous));

    fs::rename(Department(), previous);
    EXPECT_EQ(Command({"check"}).Status, 0);
    EXPECT_TRUE(fs::exists(Department()));

    // Beside a database that is not the version the killed run put there: named, and kept.
    WriteBytes(previous, ReadBytes(Department()));
    Alter(Department(), "DELETE FROM \"Satzart 3 - TISS28 TEMP\"");
    const Outcome checked = Command({"check"});
    EXPECT_EQ(checked.Status, 2);
    EXPECT_NE(checked.Out.find(previous.string() + ": Neben der Datenbank "), std::string::npos) << checked.Out;
    const Outcome imported = Command({"import", "--yes", kImportFile.string()});
    EXPECT_EQ(imported.Status, 3);
    EXPECT_TRUE(fs::exists(previous));
}

// A file that passed the full check is not checked again while it is the same version: same file,
// size, modification time and change counter. Damage that left all of them as they were is the price,
// and `check` always checks in full; any change to the file brings the full check back.
TEST_F(IntegrityCommandsTest, ARememberedVerdictHoldsOnlyWhileTheFileIsUnchanged)
{
    ASSERT_EQ(Command({"classify", "K002/12100101"}).Status, 0);
    const auto written = fs::last_write_time(Department());
    const auto identity = platform::IdentityOf(Department());
    ChangeKeyInTablePage(Department());
    fs::last_write_time(Department(), written);
    if (platform::IdentityOf(Department()) != identity) {
        GTEST_SKIP() << "the modification time cannot be set back to the nanosecond here";
    }

    const Outcome remembered = Command({"classify", "K002/12100101"});
    EXPECT_EQ(remembered.Status, 0) << remembered.Err;
    const Outcome checked = Command({"check"});
    EXPECT_EQ(checked.Status, 2);
    EXPECT_NE(checked.Out.find(Department().string() + ": Tabellen oder Indizes sind fehlerhaft"), std::string::npos)
        << checked.Out;

    fs::last_write_time(Department(), written + std::chrono::seconds(1));
    const Outcome changed = Command({"classify", "K002/12100101"});
    EXPECT_EQ(changed.Status, 2);
    EXPECT_NE(changed.Err.find("12100101X002 ist beschädigt"), std::string::npos) << changed.Err;
}

// The template is checked like a department database, and for holding no row, before every use: a
// template that fails is made anew from the schema the program carries, and the log says so. Whatever
// it held never reaches a department or an export.
TEST_F(IntegrityCommandsTest, ATemplateThatFailsIsMadeAnew)
{
    struct Case {
        const char* Name;
        std::function<void(const fs::path& file)> Spoil;
        std::string Problem;  // what `check` says of it
    };
    const Case cases[] = {
        {"a stay inserted with another tool",
         [](const fs::path& file) {
             Alter(file, "INSERT INTO \"Gesamt - Patientenadministration\" (\"KIS_ID\", \"DOB\", \"ADM_DATE\", "
                         "\"TYP\", \"FLAG\") VALUES ('GEIST00001', '19500101', '202401011200', 'INT', 'O')");
         },
         "die Vorlage enthält Datensätze in der Tabelle Gesamt - Patientenadministration"},
        {"zeroed index page", ZeroIndexPage, "Tabellen oder Indizes sind fehlerhaft"},
        {"a table added", [](const fs::path& file) { Alter(file, "CREATE TABLE Notizen (x)"); },
         "unerwartet ist die Tabelle Notizen"},
        {"missing", [](const fs::path& file) { fs::remove(file); }, "Datei nicht gefunden"},
    };
    const auto templateFile = dir / "inst" / "system" / "ibds.mdb";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(dir / "inst");
        SetUp();
        c.Spoil(templateFile);

        const Outcome checked = Command({"check"});
        EXPECT_EQ(checked.Status, 2);
        EXPECT_NE(checked.Out.find(templateFile.string() + ": " + c.Problem + "\n"), std::string::npos) << checked.Out;

        // An append builds the department's new file from the template.
        const Outcome imported = Command({"import", "--yes", kImportFile.string()});
        EXPECT_EQ(imported.Status, 0) << imported.Out << imported.Err;
        const Outcome stayList = Command({"stays", "K002/12100101"});
        EXPECT_EQ(stayList.Out.find("GEIST"), std::string::npos) << stayList.Out;
        const Outcome exported = Command({"export"});
        EXPECT_EQ(exported.Status, 0) << exported.Err;
        EXPECT_EQ(ReadBytes(dir / "inst" / "export" / "gesamt.mdb").find("GEIST"), std::string::npos);
        const std::string log = ReadBytes(dir / "inst" / "system" / "kalmora.log");
        EXPECT_NE(log.find(";Vorlagendatenbank ibds.mdb neu angelegt;"), std::string::npos) << log;
        EXPECT_NE(log.find(c.Problem), std::string::npos) << log;
        EXPECT_EQ(Command({"check"}).Status, 0);
    }
}

}  // namespace
}  // namespace kalmora
