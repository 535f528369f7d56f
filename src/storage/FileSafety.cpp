#include "storage/FileSafety.h"

#include "foundation/Settings.h"

#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kalmora {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what, const std::filesystem::path& path)
{
    throw std::filesystem::filesystem_error(what, path, std::error_code(errno, std::generic_category()));
}

}  // namespace

void SyncToDisk(const std::filesystem::path& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) ThrowErrno("open for sync", path);
    const int result = ::fsync(descriptor);
    const int savedErrno = errno;
    ::close(descriptor);
    errno = savedErrno;
    // Some file systems cannot sync a directory; the rename itself is still atomic there.
    if (result != 0 && errno != EINVAL && errno != EBADF) ThrowErrno("fsync", path);
}

void ReplaceFileDurably(const std::filesystem::path& source, const std::filesystem::path& target)
{
    SyncToDisk(source);
    std::filesystem::rename(source, target);
    SyncToDisk(target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path());
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
{
    m_descriptor = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_descriptor < 0) ThrowErrno("open lock file", lockFile);
    if (::flock(m_descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int savedErrno = errno;
        ::close(m_descriptor);
        m_descriptor = -1;
        if (savedErrno == EWOULDBLOCK) {
            throw LockedError("Ein anderer Import oder Export arbeitet gerade mit den Daten in " +
                              lockFile.parent_path().string() + ". Bitte später erneut versuchen.");
        }
        errno = savedErrno;
        ThrowErrno("lock", lockFile);
    }
}

ExclusiveLock::~ExclusiveLock()
{
    if (m_descriptor >= 0) ::close(m_descriptor);  // closing releases the lock
}

std::filesystem::path SystemDataLockFile(const Settings& settings)
{
    return DataFilePath(settings.SystemDataPath, "kalmora.lock");
}

}  // namespace kalmora
