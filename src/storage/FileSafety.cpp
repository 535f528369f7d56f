#include "storage/FileSafety.h"

#include "foundation/Platform.h"
#include "foundation/Settings.h"

namespace kalmora {

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

ExclusiveLock::ExclusiveLock(const std::filesystem::path& lockFile) : m_lock(platform::TryLockFile(lockFile))
{
    if (m_lock == platform::kNoLock) {
        throw LockedError("Ein anderer Import oder Export arbeitet gerade mit den Daten in " +
                          lockFile.parent_path().string() + ". Bitte später erneut versuchen.");
    }
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

}  // namespace kalmora
