#include "storage/FileSafety.h"

#include "foundation/Platform.h"
#include "foundation/Settings.h"
#include "foundation/Utf8Path.h"
#include "storage/Schema.h"

#include <optional>
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
        std::filesystem::remove(file);
    }
}

void RemoveDatabaseFiles(const std::filesystem::path& database)
{
    std::filesystem::remove(database);
    RemoveDatabaseSideFiles(database);
}

ExclusiveLock::ExclusiveLock(const std::filesystem::path& lockFile)
    : m_file(lockFile), m_lock(platform::TryLockFile(lockFile))
{
    if (m_lock == platform::kNoLock) {
        throw LockedError("Ein anderer Import oder Export arbeitet gerade mit den Daten in " +
                          lockFile.parent_path().string() + ". Bitte später erneut versuchen.");
    }
    RemoveLeftoversOfEarlierRuns(lockFile.parent_path());
}

void RemoveLeftoversOfEarlierRuns(const std::filesystem::path& directory) noexcept
{
    std::error_code error;
    std::filesystem::directory_iterator entries(directory, error);
    if (error) return;
    std::vector<std::filesystem::path> previous;
    for (const auto& entry : entries) {
        // Scratch databases, a database built beside its name and the previous one kept while it was
        // put in place, each with the engine's side files.
        std::string name = Utf8Of(entry.path().filename());
        for (std::string_view side : {"-journal", "-wal", "-shm"}) {
            if (name.ends_with(side)) name.resize(name.size() - side.size());
        }
        std::error_code ignored;
        if (!entry.is_regular_file(ignored)) continue;
        if (entry.path().filename() == name && name.ends_with(".old")) {
            previous.push_back(entry.path());
        } else if (IsScratchDatabaseName(name) || name.ends_with(".new") || name.ends_with(".old")) {
            std::filesystem::remove(entry.path(), ignored);
        }
    }
    for (const auto& file : previous) {
        auto target = file;
        target.replace_extension();
        try {
            PutBackOrRemovePrevious(target, file);
        } catch (const std::exception&) {
            // Left for the next run: a previous database is never removed when its file is missing.
        }
    }
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

void PutBackOrRemovePrevious(const std::filesystem::path& target, const std::filesystem::path& previous)
{
    if (!std::filesystem::exists(std::filesystem::symlink_status(target)) &&
        std::filesystem::exists(std::filesystem::symlink_status(previous))) {
        RemoveDatabaseSideFiles(target);
        ReplaceFileDurably(previous, target);
    }
    RemoveDatabaseFiles(previous);
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
    return DataFilePath(settings.SystemDataPath, "kalmora.lock");
}

Database OpenForReading(const Settings& settings, const std::filesystem::path& file)
{
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
