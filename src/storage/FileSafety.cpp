#include "storage/FileSafety.h"

#include "foundation/Platform.h"
#include "foundation/SafeFile.h"
#include "foundation/Settings.h"
#include "foundation/Utf8Path.h"
#include "storage/Schema.h"
#include "storage/SystemFiles.h"
#include "storage/VerifiedFiles.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kalmora {

namespace {

// Reading the schema is where the engine looks for a journal to play back.
void ReadSchema(Database& database)
{
    database.Execute("SELECT count(*) FROM sqlite_schema");
}

std::string UnfinishedWriteText(const std::filesystem::path& file)
{
    return "Die Datenbank " + file.string() +
           " wurde bei einem abgebrochenen Schreibvorgang unvollständig "
           "hinterlassen";
}

// Opening the database for writing plays the journal back; only a run that holds the lock may write.
void FinishUnfinishedWrite(const Settings& settings, const std::filesystem::path& file)
{
    std::optional<ExclusiveLock> lock;
    try {
        lock.emplace(SystemDataLockFile(settings));
    } catch (const LockedError&) {
        throw LockedError(UnfinishedWriteText(file) +
                          " und kann erst wiederhergestellt werden, wenn der Import oder Export fertig ist, der "
                          "gerade mit den Daten arbeitet. Bitte später erneut versuchen.");
    }
    Database writing(file, OpenMode::ReadWrite);
    try {
        ReadSchema(writing);
    } catch (const StorageError& error) {
        // The engine opens a file it may not write read-only.
        if (!error.IsUnfinishedWrite()) throw;
        throw StorageError(UnfinishedWriteText(file) + " und kann ohne Schreibrecht nicht wiederhergestellt werden.",
                           error);
    }
}

}  // namespace

void ReplaceFileDurably(const std::filesystem::path& source, const std::filesystem::path& target)
{
    platform::SyncFile(source);
    platform::RenameReplacing(source, target);
    platform::SyncDirectory(target.parent_path());
}

void RemoveDatabaseSideFiles(const std::filesystem::path& database)
{
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        auto file = database;
        file += suffix;
        platform::RemoveFile(file);
    }
}

void RemoveDatabaseFiles(const std::filesystem::path& database)
{
    platform::RemoveFile(database);
    RemoveDatabaseSideFiles(database);
}

namespace {

// The lock of a shared installation is one file for all its users: one that another user made
// without the group's rights is named, with what to do.
platform::LockHandle TakeLock(const std::filesystem::path& lockFile)
{
    try {
        return platform::TryLockFile(lockFile);
    } catch (const std::filesystem::filesystem_error& error) {
        if (error.code() != std::errc::permission_denied) throw;
        throw LockFileAccessError(
            "Die Sperrdatei " + Utf8Of(lockFile) +
            " kann nicht geöffnet werden (Zugriff verweigert). Alle Benutzer der Installation müssen sie lesen "
            "und schreiben dürfen: ihr Besitzer oder die IT setzt ihre Rechte auf 660 (chmod 660), oder sie wird "
            "gelöscht, während kein Import und kein Export läuft.");
    }
}

}  // namespace

ExclusiveLock::ExclusiveLock(const std::filesystem::path& lockFile) : m_file(lockFile), m_lock(TakeLock(lockFile))
{
    if (m_lock == platform::kNoLock) {
        throw LockedError("Ein anderer Import oder Export arbeitet gerade mit den Daten in " +
                          lockFile.parent_path().string() + ". Bitte später erneut versuchen.");
    }
    RemoveLeftoversOfEarlierRuns(lockFile.parent_path());
}

namespace {

// The database files the admin database in `directory` registers; none when it cannot be read, so
// that nothing is taken for a leftover of theirs.
std::set<std::string> RegisteredFilesIn(const std::filesystem::path& directory) noexcept
{
    try {
        const auto file = directory / kAdminDatabaseFile;
        try {
            Database admin(file, OpenMode::ReadOnly);
            const auto files = RegisteredDatabaseFiles(admin);
            return {files.begin(), files.end()};
        } catch (const StorageError& error) {
            if (!error.IsUnfinishedWrite()) throw;
        }
        // A killed run's transaction is rolled back first; the caller holds the lock.
        Database admin(file, OpenMode::ReadWrite);
        const auto files = RegisteredDatabaseFiles(admin);
        return {files.begin(), files.end()};
    } catch (...) {
        return {};
    }
}

// Whether `file` starts as a database file does, or is empty (a database being begun); a file that is
// gone counts as one, so that its side files go too.
bool IsDatabaseOrEmpty(const std::filesystem::path& file)
{
    const std::string header = DatabaseHeaderOf(file);
    return header.empty() || header.starts_with(std::string_view("SQLite format 3\0", 16));
}

bool IsRegularFile(const std::filesystem::directory_entry& entry)
{
    std::error_code ignored;
    return entry.is_regular_file(ignored);
}

// A name's stem when it ends with `suffix` and the stem is one of `names`.
std::optional<std::string> RegisteredStem(std::string_view name, std::string_view suffix,
                                          const std::set<std::string>& names)
{
    if (!name.ends_with(suffix)) return std::nullopt;
    std::string stem(name.substr(0, name.size() - suffix.size()));
    if (!names.contains(stem)) return std::nullopt;
    return stem;
}

// The previous file of `database`, kept by a run that was killed before it removed it: put back
// where the database is missing, removed where the database is the same file (the run was killed
// before the new one came) or the very version the run put in its place, left otherwise.
void SettlePrevious(const std::filesystem::path& directory, const std::filesystem::path& database)
{
    const auto previous = PreviousDatabaseOf(database);
    if (!EntryExists(database)) {
        PutBackMissingDatabase(database);
        return;
    }
    const auto present = VersionOf(database);
    bool replaced = present && platform::IdentityOf(previous) == present->Identity;
    if (!replaced && present) {
        Database admin(directory / kAdminDatabaseFile, OpenMode::ReadOnly);
        replaced = VerifiedFiles(admin).RememberedAsPlaced(Utf8Of(database.filename()), *present);
    }
    if (replaced) RemoveDatabaseFiles(previous);
}

}  // namespace

void RemoveDatabasesBuiltByKilledRuns(const std::filesystem::path& directory) noexcept
{
    std::error_code error;
    for (std::filesystem::directory_iterator entries(directory, error), end; !error && entries != end;
         entries.increment(error)) {
        const std::string name = Utf8Of(entries->path().filename());
        if (!IsRegularFile(*entries) || !IsBuildingName(name)) continue;
        // A text built there (a protocol) may be another run's, on a share that does not carry the
        // lock; a database built there is an export's, which is only ever made again.
        const auto database = entries->path().parent_path() / PathFromUtf8(WithoutSideFileSuffix(name));
        if (!IsDatabaseOrEmpty(database)) continue;
        std::error_code ignored;
        std::filesystem::remove(entries->path(), ignored);
    }
}

void RemoveLeftoversOfEarlierRuns(const std::filesystem::path& directory) noexcept
{
    const std::set<std::string> registered = RegisteredFilesIn(directory);
    std::vector<std::filesystem::path> previous;
    std::error_code error;
    for (std::filesystem::directory_iterator entries(directory, error), end; !error && entries != end;
         entries.increment(error)) {
        if (!IsRegularFile(*entries)) continue;
        // Only names a killed run of the program makes, each with the engine's side files: files that
        // carry the program's mark, the hidden temporaries of set-up, and what a registered database
        // was built or kept under while it was replaced.
        const std::string name = Utf8Of(entries->path().filename());
        const std::string_view base = WithoutSideFileSuffix(name);
        if (RegisteredStem(base, ".old", registered)) {
            if (base == name) previous.push_back(entries->path());
        } else if (IsBuildingName(name) || IsScratchDatabaseName(base) ||
                   IsHiddenTemporaryOf(name, kAdminDatabaseFile) || IsHiddenTemporaryOf(name, kTemplateDatabaseFile) ||
                   RegisteredStem(base, ".new", registered)) {
            std::error_code ignored;
            std::filesystem::remove(entries->path(), ignored);
        }
    }
    for (const auto& file : previous) {
        auto database = file;
        database.replace_extension();
        try {
            SettlePrevious(directory, database);
        } catch (const std::exception&) {
            // Left for the next run, or for someone to look at: a previous file is only ever removed
            // where it is known to be out of date.
        }
    }
}

bool EntryExists(const std::filesystem::path& path) noexcept
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

std::filesystem::path PreviousDatabaseOf(const std::filesystem::path& database)
{
    auto previous = database;
    previous += ".old";
    return previous;
}

void KeepPreviousDatabase(const std::filesystem::path& target, const std::filesystem::path& previous)
{
    try {
        platform::CreateHardLink(target, previous);
    } catch (const std::filesystem::filesystem_error&) {
        // Many network shares and FAT have no hard links: a rename keeps the file as well.
        platform::RenameReplacing(target, previous);
    }
    platform::SyncDirectory(target.parent_path());
}

void PutBackMissingDatabase(const std::filesystem::path& database)
{
    const auto previous = PreviousDatabaseOf(database);
    if (EntryExists(database) || !EntryExists(previous)) return;
    RemoveDatabaseSideFiles(database);
    ReplaceFileDurably(previous, database);
    RemoveDatabaseSideFiles(previous);
}

void UndoKeepingPrevious(const std::filesystem::path& database)
{
    const auto previous = PreviousDatabaseOf(database);
    if (!EntryExists(database)) {
        PutBackMissingDatabase(database);
    } else if (EntryExists(previous) && platform::IdentityOf(previous) == platform::IdentityOf(database)) {
        RemoveDatabaseFiles(previous);
    }
}

void RequireNoUnsettledPrevious(const std::filesystem::path& database)
{
    const auto previous = PreviousDatabaseOf(database);
    if (!EntryExists(previous)) return;
    throw StorageError(UnsettledPreviousText(database) + " Bis dahin wird für diese Abteilung nichts gespeichert.");
}

std::string UnsettledPreviousText(const std::filesystem::path& database)
{
    return "Neben der Datenbank " + Utf8Of(database) + " liegt " + Utf8Of(PreviousDatabaseOf(database).filename()) +
           ", ihre Vorgängerin aus einem abgebrochenen Import; ob die Datenbank die Datei ist, die sie ersetzt "
           "hat, lässt sich nicht sagen (etwa nach dem Zurückspielen einer Sicherung). Bitte beide prüfen und "
           "die nicht mehr gültige entfernen.";
}

DatabaseWriteExclusion::DatabaseWriteExclusion(const std::filesystem::path& file) : m_database(file)
{
    try {
        m_database.Execute("BEGIN EXCLUSIVE");
    } catch (const StorageError& error) {
        if (!error.IsBusy()) throw;
        throw StorageError("Die Datenbank " + Utf8Of(file) +
                               " wird gerade von einem anderen Programm geschrieben; es wird nichts gespeichert. "
                               "Bitte dieses Programm beenden und den Import wiederholen.",
                           error);
    }
}

DatabaseWriteExclusion::~DatabaseWriteExclusion()
{
    m_database.ExecuteIfPossible("ROLLBACK");
}

void RequireUnchanged(const std::filesystem::path& file, const std::optional<platform::FileIdentity>& seen)
{
    if (platform::IdentityOf(file) == seen) return;
    throw StorageError("Die Datenbank " + file.string() +
                       " wurde während des Imports von einem anderen Programm geändert; sie bleibt, wie sie ist.");
}

void ExclusiveLock::RequireStillHeld() const
{
    if (platform::LockStillOnFile(m_lock, m_file)) return;
    throw StorageError("Die Sperrdatei " + m_file.string() +
                       " wurde entfernt oder ersetzt, während dieser Lauf mit den Daten arbeitete; damit die Arbeit "
                       "eines anderen Laufs nicht überschrieben wird, wird nichts gespeichert.");
}

ExclusiveLock::~ExclusiveLock()
{
    platform::ReleaseLock(m_lock);
}

std::filesystem::path SystemDataLockFile(const Settings& settings)
{
    RequireFullPath("SystemDataPath", settings.SystemDataPath);
    return DataFilePath(settings.SystemDataPath, kLockFileName);
}

namespace {

// A database that a run killed between its two renames left only as its previous file is put back
// before it is read, under the lock, as the next writer would.
void PutBackBeforeReading(const Settings& settings, const std::filesystem::path& file)
{
    if (EntryExists(file) || !EntryExists(PreviousDatabaseOf(file))) return;
    try {
        const ExclusiveLock lock(SystemDataLockFile(settings));
        PutBackMissingDatabase(file);
    } catch (const LockedError&) {
        throw LockedError("Die Datenbank " + Utf8Of(file) + " fehlt; ihre Vorgängerin " +
                          Utf8Of(PreviousDatabaseOf(file).filename()) +
                          " aus einem abgebrochenen Import wird zurückgelegt, sobald der Import oder Export fertig "
                          "ist, der gerade mit den Daten arbeitet. Bitte später erneut versuchen.");
    }
}

}  // namespace

Database OpenForReading(const Settings& settings, const std::filesystem::path& file)
{
    PutBackBeforeReading(settings, file);
    {
        Database reading(file, OpenMode::ReadOnly);
        try {
            ReadSchema(reading);
            return reading;
        } catch (const StorageError& error) {
            if (!error.IsUnfinishedWrite()) throw;
        }
    }
    FinishUnfinishedWrite(settings, file);
    Database reading(file, OpenMode::ReadOnly);
    ReadSchema(reading);
    return reading;
}

}  // namespace kalmora
