#pragma once

#include "foundation/FailureText.h"
#include "foundation/Platform.h"
#include "storage/Database.h"

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kalmora {

struct Settings;

// Replaces `target` by `source` in one step (rename) and makes the change durable: afterwards the
// target is either the complete old file or the complete new one, also after a crash.
void ReplaceFileDurably(const std::filesystem::path& source, const std::filesystem::path& target);

// Removes only the engine's side files of a database (rollback journal, write-ahead log).
void RemoveDatabaseSideFiles(const std::filesystem::path& database);

// Removes a database file with the engine's side files (rollback journal, write-ahead log), so a
// stale journal can never be replayed into a new file of the same name. Missing files are fine.
void RemoveDatabaseFiles(const std::filesystem::path& database);

// Removes what runs that were killed left in the system data directory, and only that: files that
// carry the program's mark (scratch databases, databases built beside their names), the hidden
// temporaries of set-up, and a registered department database's ".new", each with the engine's side
// files: files with patient data that nobody reads. A registered database's previous file (".old")
// is put back where the database is missing (a run killed between the two renames of a file system
// without hard links), and removed only where the database is the very file that replaced it;
// otherwise it stays for someone to look at (RequireNoUnsettledPrevious). Only a holder of the system
// data lock may call it.
void RemoveLeftoversOfEarlierRuns(const std::filesystem::path& directory) noexcept;

// Removes the databases that exports killed while they built them left in `directory`, under any
// name: only files that carry the program's mark and hold a database. Only a holder of the system
// data lock may call it.
void RemoveDatabasesBuiltByKilledRuns(const std::filesystem::path& directory) noexcept;

// Whether anything bears the name `path` (a symbolic link counts, wherever it points).
bool EntryExists(const std::filesystem::path& path) noexcept;

// The name under which a database's previous file is kept while a new one takes its place.
std::filesystem::path PreviousDatabaseOf(const std::filesystem::path& database);

// Keeps the database `target` under its previous name while a new one takes its place: as a second
// name of the same file, or, where the file system has no hard links, by renaming it (the target is
// then missing until the new file is put in place).
void KeepPreviousDatabase(const std::filesystem::path& target, const std::filesystem::path& previous);

// Puts the previous file back where the database `database` is missing; does nothing otherwise.
void PutBackMissingDatabase(const std::filesystem::path& database);

// What is to be said of a previous file that lies beside its database and cannot be settled.
std::string UnsettledPreviousText(const std::filesystem::path& database);

// Undoes KeepPreviousDatabase after a failure before the new file was in place: the previous file is
// put back where the database is missing, and removed where it is a second name of the database.
void UndoKeepingPrevious(const std::filesystem::path& database);

// Throws StorageError when the previous file of `database` lies beside it: a killed run left it, and
// whether the database is the file that replaced it, or one put there since (a backup played back),
// cannot be told. Nothing is stored over either until someone has looked.
void RequireNoUnsettledPrevious(const std::filesystem::path& database);

// Holds the engine's exclusive lock on the database `file` for its lifetime, so that no other
// program writes it meanwhile. Another program's open write transaction is waited for, up to the
// engine's busy timeout; its journal is in use until then and must stay. Throws StorageError when the
// database stays in use.
class DatabaseWriteExclusion {
public:
    explicit DatabaseWriteExclusion(const std::filesystem::path& file);
    ~DatabaseWriteExclusion();
    DatabaseWriteExclusion(const DatabaseWriteExclusion&) = delete;
    DatabaseWriteExclusion& operator=(const DatabaseWriteExclusion&) = delete;

private:
    Database m_database;
};

// Throws StorageError when `file` is no longer the file, unchanged, that `seen` describes (nothing:
// there was none): another program wrote it meanwhile, and replacing it would lose that.
void RequireUnchanged(const std::filesystem::path& file, const std::optional<platform::FileIdentity>& seen);

// Holds an exclusive lock on a lock file for its lifetime, so two processes (two workstations on a
// shared directory, or the program and the batch tool) never work on the same data at once. Taking
// it first removes the leftovers of earlier runs beside the lock file.
class ExclusiveLock {
public:
    // Throws LockedError when another process holds the lock, LockFileAccessError when this user may
    // not open the lock file, std::filesystem::filesystem_error when it cannot be made.
    explicit ExclusiveLock(const std::filesystem::path& lockFile);
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    // Throws StorageError when the lock file was removed or replaced while the lock was held: another
    // run may then have taken a lock of its own, and nothing may be written over its work.
    void RequireStillHeld() const;

private:
    std::filesystem::path m_file;
    platform::LockHandle m_lock;
};

inline constexpr std::string_view kLockFileName = "kalmora.lock";

// The lock file that keeps two runs on one system data directory apart. Throws SettingsPathError
// when the settings give the system data directory as a relative path.
std::filesystem::path SystemDataLockFile(const Settings& settings);

// Another process holds the lock: a notice, to be tried again later.
class LockedError : public NoticeError {
public:
    using NoticeError::NoticeError;
};

// The lock file is there but may not be opened by this user (another user of a shared installation
// made it without the group's rights): a notice that says what to do.
class LockFileAccessError : public NoticeError {
public:
    using NoticeError::NoticeError;
};

// Opens a database to read it. A journal that a crashed writer left beside it is first played back,
// and a database that a killed run left only as its previous file is first put back, under the system
// data lock (a read-only connection cannot do it); when another run holds the lock, throws
// LockedError with a text that says so.
Database OpenForReading(const Settings& settings, const std::filesystem::path& file);

}  // namespace kalmora
