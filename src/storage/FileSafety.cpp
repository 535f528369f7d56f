#include "storage/FileSafety.h"

#include "foundation/Platform.h"
#include "foundation/SafeFile.h"
#include "foundation/Settings.h"
#include "foundation/Utf8Path.h"
#include "storage/Schema.h"
#include "storage/SystemFiles.h"

#include <fstream>
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

namespace {

// The database files the admin database in `directory` registers; none when it cannot be read, so
// that nothing is taken for a leftover of theirs.
std::set<std::string> RegisteredFilesIn(const std::filesystem::path& directory) noexcept
{
    try {
        Database admin(directory / kAdminDatabaseFile, OpenMode::ReadOnly);
        const auto files = RegisteredDatabaseFiles(admin);
        return {files.begin(), files.end()};
    } catch (...) {
        return {};
    }
}

// Whether `file` starts as a database file does, or is empty (a database being begun); a file that is
// gone counts as one, so that its side files go too.
bool IsDatabaseOrEmpty(const std::filesystem::path& file) noexcept
{
    constexpr std::string_view kHeader{"SQLite format 3\0", 16};
    std::ifstream in(file, std::ios::binary);
    if (!in) return true;
    std::string start(kHeader.size(), '\0');
    in.read(start.data(), static_cast<std::streamsize>(start.size()));
    return in.gcount() == 0 || start == kHeader;
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
        const bool previousDatabase = RegisteredStem(base, ".old", registered).has_value();
        if (previousDatabase && base == name) {
            previous.push_back(entries->path());
        } else if (previousDatabase || IsBuildingName(name) || IsScratchDatabaseName(base) ||
                   IsHiddenTemporaryOf(name, kAdminDatabaseFile) || IsHiddenTemporaryOf(name, kTemplateDatabaseFile) ||
                   RegisteredStem(base, ".new", registered)) {
            std::error_code ignored;
            std::filesystem::remove(entries->path(), ignored);
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
    return DataFilePath(settings.SystemDataPath, kLockFileName);
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
