// The platform functions on Linux and other POSIX systems.
#include "foundation/Platform.h"

#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalmora::platform {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void ThrowErrno(const std::string& what, const fs::path& path, int error = errno)
{
    throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

// fsync on a descriptor opened read-only, which works for files and directories alike.
void Sync(const fs::path& path, int flags, bool tolerateUnsupported)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | flags);
    if (descriptor < 0) ThrowErrno("open for sync", path);
    const int result = ::fsync(descriptor);
    const int error = errno;
    ::close(descriptor);
    if (result == 0) return;
    if (tolerateUnsupported && (error == EINVAL || error == EBADF)) return;
    ThrowErrno("fsync", path, error);
}

}  // namespace

void SyncFile(const fs::path& file)
{
    // Some file systems cannot sync every kind of file; the data went out with the close there.
    Sync(file, 0, true);
}

void SyncDirectory(const fs::path& directory)
{
    Sync(directory.empty() ? fs::path(".") : directory, O_DIRECTORY, true);
}

bool CreateFileExclusively(const fs::path& file)
{
    const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        if (errno == EEXIST) return false;
        ThrowErrno("create", file);
    }
    ::close(descriptor);
    return true;
}

void RenameReplacing(const fs::path& source, const fs::path& target)
{
    if (::rename(source.c_str(), target.c_str()) != 0) {
        const int error = errno;
        throw fs::filesystem_error("rename", source, target, std::error_code(error, std::generic_category()));
    }
}

LockHandle TryLockFile(const fs::path& file)
{
    const int descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0) ThrowErrno("open lock file", file);
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        if (error == EWOULDBLOCK) return kNoLock;
        ThrowErrno("lock", file, error);
    }
    return descriptor;
}

void ReleaseLock(LockHandle lock) noexcept
{
    if (lock != kNoLock) ::close(static_cast<int>(lock));  // closing releases the lock
}

fs::path ExecutableDirectory()
{
    std::error_code error;
    const auto executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return executable.parent_path();
}

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

std::tm LocalTime(std::time_t time)
{
    std::tm local{};
    ::localtime_r(&time, &local);
    return local;
}

std::optional<std::uintmax_t> RegularFileSize(std::FILE* file)
{
    struct stat status {};
    if (::fstat(::fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    return static_cast<std::uintmax_t>(status.st_size);
}

}  // namespace kalmora::platform
