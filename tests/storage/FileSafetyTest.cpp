// The system data lock: one run at a time, and the run that takes it clears what killed runs left.
#include "storage/FileSafety.h"

#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/VerifiedFiles.h"
#include "support/Files.h"
#include "support/SimulatedFaults.h"
#include "support/TempDir.h"
#include "support/Posix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cerrno>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kalmora {
namespace {

namespace fs = std::filesystem;

// An admin database in `directory` that registers departments in the given database files.
void RegisterDatabaseFiles(const fs::path& directory, const std::vector<std::string>& files)
{
    CreateAdminDatabase(directory / kAdminDatabaseFile);
    Database admin(directory / kAdminDatabaseFile);
    int number = 0;
    for (const auto& file : files) {
        admin.Prepare("INSERT INTO \"Dateiverwaltung\" (\"KANR\", \"ABTEILUNG\", \"MDB_DATEI\") VALUES (?, ?, ?)")
            .BindAll("K00" + std::to_string(++number), "12510101", file)
            .Execute();
    }
}

std::vector<std::string> NamesIn(const fs::path& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Only what a killed run of the program makes goes: names with its mark, the hidden temporaries of
// set-up, a registered database's ".new". The users' files of similar names stay as they are.
TEST(FileSafetyTest, TakingTheLockRemovesTheLeftoversOfKilledRunsAndNothingElse)
{
    test::TempDir dir;
    RegisterDatabaseFiles(dir.Path(), {"12510101X001"});
    const std::vector<std::string> leftovers = {
        "temp.~kalmora.4711.mdb",   "temp.~kalmora.4711.mdb-journal", "12510101X001.~kalmora.new", "12510101X001.new",
        "12510101X001.new-journal", "12300101X002.~kalmora.new-wal",  "gesamt.mdb.~kalmora.new",   ".iadmin.mdb.tmp123",
        ".ibds.mdb.tmp9-journal"};
    std::vector<std::string> kept = {"12510101X001",   "ibds.mdb",           "kalmora.log",      "newsletter.txt",
                                     "iadmin.mdb.old", "temp.sicherung.mdb", "temp.mdb",         "temp.4711.mdb",
                                     "Notizen.new",    "export.csv.old",     "12300101X002.new", ".iadmin.mdb.tmpX"};
    for (const auto& name : leftovers)
        test::WriteText(dir / name, "Patientendaten");
    for (const auto& name : kept)
        test::WriteText(dir / name, "bleibt");
    fs::create_directories(dir / "ordner.~kalmora.new");  // only files go

    {
        const ExclusiveLock lock(dir / "kalmora.lock");
        kept.insert(kept.end(), {"iadmin.mdb", "kalmora.lock", "ordner.~kalmora.new"});
        std::sort(kept.begin(), kept.end());
        EXPECT_EQ(NamesIn(dir.Path()), kept);
        EXPECT_EQ(test::ReadText(dir / "export.csv.old"), "bleibt");
    }
    // A second holder while the first holds the lock is refused and removes nothing.
    const ExclusiveLock first(dir / "kalmora.lock");
    test::WriteText(dir / "temp.~kalmora.1.mdb", "vom laufenden Import");
    EXPECT_THROW(ExclusiveLock(dir / "kalmora.lock"), LockedError);
    EXPECT_TRUE(fs::exists(dir / "temp.~kalmora.1.mdb"));
}

// A run killed while it replaced a department's database left the previous file as ".old". The next
// run that takes the lock puts it back where the database is missing (a file system without hard
// links, killed between the two renames), removes it where the database is the same file or the very
// version the run put in its place, and leaves it otherwise: a backup played back under the name
// since holds older stays than the previous file.
TEST(FileSafetyTest, ThePreviousFileOfAKilledRunIsPutBackRemovedOrLeftAsItIs)
{
    enum class Left { PutBack, Removed, Kept };
    struct Case {
        const char* Name;
        std::function<void(const fs::path& database, const fs::path& previous, Database& admin)> Make;
        Left Expected;
    };
    const auto placed = [](const fs::path& database, Database& admin) {
        VerifiedFiles(admin).Remember(database.filename().string(), *VersionOf(database), PlacedVersion::OverPrevious);
    };
    const Case cases[] = {
        {"database missing",
         [](const fs::path&, const fs::path& previous, Database&) { test::WriteText(previous, "alt"); }, Left::PutBack},
        {"killed before the new file came: a second name of the database",
         [](const fs::path& database, const fs::path& previous, Database&) {
             test::WriteText(database, "alt");
             fs::create_hard_link(database, previous);
         },
         Left::Removed},
        {"killed after the new file came",
         [&](const fs::path& database, const fs::path& previous, Database& admin) {
             test::WriteText(previous, "alt");
             test::WriteText(database, "neu");
             placed(database, admin);
         },
         Left::Removed},
        {"a backup played back under the name since",
         [&](const fs::path& database, const fs::path& previous, Database& admin) {
             test::WriteText(previous, "alt");
             test::WriteText(database, "neu");
             placed(database, admin);
             fs::remove(database);
             test::WriteText(database, "Sicherung");
         },
         Left::Kept},
        {"a backup copied over the file the run put there",
         [&](const fs::path& database, const fs::path& previous, Database& admin) {
             test::WriteText(previous, "alt");
             test::WriteText(database, "neu");
             placed(database, admin);
             test::WriteText(database, "Sicherung, länger");
         },
         Left::Kept},
        {"the file checked since, but not put there by a run",
         [](const fs::path& database, const fs::path& previous, Database& admin) {
             test::WriteText(previous, "alt");
             test::WriteText(database, "Sicherung");
             VerifiedFiles(admin).Remember(database.filename().string(), *VersionOf(database));
         },
         Left::Kept},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        test::TempDir dir;
        RegisterDatabaseFiles(dir.Path(), {"12510101X001"});
        const auto database = dir / "12510101X001";
        const auto previous = PreviousDatabaseOf(database);
        {
            Database admin(dir / kAdminDatabaseFile);
            c.Make(database, previous, admin);
        }
        const std::string before = test::ReadText(database);
        {
            const ExclusiveLock lock(dir / "kalmora.lock");
        }
        switch (c.Expected) {
        case Left::PutBack:
            EXPECT_EQ(test::ReadText(database), "alt");
            EXPECT_FALSE(fs::exists(previous));
            break;
        case Left::Removed:
            EXPECT_EQ(test::ReadText(database), before);
            EXPECT_FALSE(fs::exists(previous));
            break;
        case Left::Kept:
            EXPECT_EQ(test::ReadText(database), before);
            EXPECT_EQ(test::ReadText(previous), "alt");
            EXPECT_THROW(RequireNoUnsettledPrevious(database), StorageError);
            break;
        }
    }
}

TEST(FileSafetyTest, ThePreviousDatabaseIsKeptWithAndWithoutHardLinks)
{
    for (const char* faults : {"", "no-hard-links"}) {
        SCOPED_TRACE(faults);
        const test::SimulatedFaults simulated(faults);
        test::TempDir dir;
        const auto target = dir / "12510101X001";
        const auto previous = PreviousDatabaseOf(target);
        test::WriteText(target, "alt");

        KeepPreviousDatabase(target, previous);
        EXPECT_EQ(test::ReadText(previous), "alt");
        const bool hardLinks = std::string(faults).empty();
        EXPECT_EQ(fs::exists(target), hardLinks);
        // Put back when the new file never came; nothing is put over a database that is there.
        PutBackMissingDatabase(target);
        EXPECT_EQ(test::ReadText(target), "alt");
        EXPECT_EQ(fs::exists(previous), hardLinks);
        fs::remove(previous);
        KeepPreviousDatabase(target, previous);
        test::WriteText(dir / "neu", "neu");
        fs::rename(dir / "neu", target);
        PutBackMissingDatabase(target);
        EXPECT_EQ(test::ReadText(target), "neu");
        EXPECT_EQ(test::ReadText(previous), "alt");
    }
}

// Whether another process may take a record lock on `file` now, as a run on another workstation of
// a network share would try.
#ifdef _WIN32
// Windows keeps a byte-range lock per handle: another handle of this process is refused as another
// process is.
bool OtherProcessCanLock(const fs::path& file)
{
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED whole{};
    const bool locked =
        LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(handle);
    return locked;
}
#else
bool OtherProcessCanLock(const fs::path& file)
{
    const pid_t child = fork();
    if (child == 0) {
        const int descriptor = open(file.c_str(), O_RDWR);
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        _exit(descriptor >= 0 && fcntl(descriptor, F_SETLK, &whole) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif

TEST(FileSafetyTest, TheLockIsARecordLockOnTheFileThatBearsTheName)
{
    test::TempDir dir;
    const auto lockFile = dir / "kalmora.lock";
    {
        const ExclusiveLock first(lockFile);
        EXPECT_FALSE(OtherProcessCanLock(lockFile));
        EXPECT_THROW(ExclusiveLock{lockFile}, LockedError);
        EXPECT_NO_THROW(first.RequireStillHeld());

        // Removed while held (it looks stale between runs), the lock lets the next run in: the run
        // that held it must then know that it no longer does.
        fs::remove(lockFile);
#ifdef _WIN32
        // Windows may keep the name of a removed file until its last handle is closed (Wine always
        // does), and so keep the next run out until then; a run that gets in is on a new file, and
        // the first run knows.
        try {
            const ExclusiveLock second(lockFile);
            EXPECT_THROW(first.RequireStillHeld(), StorageError);
            EXPECT_NO_THROW(second.RequireStillHeld());
        } catch (const LockedError&) {
        } catch (const fs::filesystem_error&) {
        }
    }
    {
        const ExclusiveLock again(lockFile);  // the removed file may have gone with the last handle
#else
        const ExclusiveLock second(lockFile);
        EXPECT_THROW(first.RequireStillHeld(), StorageError);
        EXPECT_NO_THROW(second.RequireStillHeld());
#endif
    }
    EXPECT_TRUE(OtherProcessCanLock(lockFile));

    // A link in place of the lock file is not followed, not even to nowhere.
    fs::remove(lockFile);
    KALMORA_SYMLINK_OR_SKIP(dir / "anywhere", lockFile);
    EXPECT_THROW(ExclusiveLock{lockFile}, fs::filesystem_error);
    EXPECT_FALSE(fs::exists(dir / "anywhere"));
}

}  // namespace
}  // namespace kalmora
