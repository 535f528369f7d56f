// The platform functions on Linux and other POSIX systems.
#include "foundation/Platform.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <pwd.h>
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
    if (OperationFailureSimulated("sync", file)) ThrowErrno("fsync", file, EIO);
    // Some file systems cannot sync every kind of file; the data went out with the close there.
    Sync(file, 0, true);
}

void SyncDirectory(const fs::path& directory)
{
    if (OperationFailureSimulated("sync", directory)) ThrowErrno("fsync", directory, EIO);
    Sync(directory.empty() ? fs::path(".") : directory, O_DIRECTORY, true);
}

void RestrictToOwnerAndGroup(const fs::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) ThrowErrno("stat", path);
    if ((status.st_mode & S_IRWXO) == 0) return;
    if (::chmod(path.c_str(), status.st_mode & 07770) != 0) ThrowErrno("chmod", path);
}

namespace {

// Whatever the process's umask, a file or folder made here is open to its owner and group, and never
// to others.
constexpr mode_t kSharedFile = 0660;
constexpr mode_t kSharedFolder = 0770;

mode_t SharedMode(const struct stat& status)
{
    return S_ISDIR(status.st_mode) ? (kSharedFolder | (status.st_mode & S_ISGID)) : kSharedFile;
}

}  // namespace

void ShareWithGroup(const fs::path& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) ThrowErrno("stat", path);
    const mode_t wanted = SharedMode(status);
    if ((status.st_mode & 07777) == wanted) return;
    if (::chmod(path.c_str(), wanted) != 0) ThrowErrno("chmod", path);
}

bool CreateSharedFolder(const fs::path& folder)
{
    if (::mkdir(folder.c_str(), kSharedFolder) != 0) {
        if (errno == EEXIST) return false;
        ThrowErrno("mkdir", folder);
    }
    ShareWithGroup(folder);
    return true;
}

bool OpenToOthers(const fs::path& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && !S_ISLNK(status.st_mode) && (status.st_mode & S_IRWXO) != 0;
}

bool CreateFileExclusively(const fs::path& file)
{
    const int descriptor = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kSharedFile);
    if (descriptor < 0) {
        if (errno == EEXIST) return false;
        ThrowErrno("create", file);
    }
    // The umask took the group's write right away, which the other users of a group need.
    const int result = ::fchmod(descriptor, kSharedFile);
    const int error = errno;
    ::close(descriptor);
    if (result != 0) ThrowErrno("chmod", file, error);
    return true;
}

void CopyFileReplacing(const fs::path& source, const fs::path& target)
{
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
}

void CreateHardLink(const fs::path& existing, const fs::path& link)
{
    if (FaultSimulated("no-hard-links")) ThrowErrno("link", link, EPERM);
    if (::link(existing.c_str(), link.c_str()) != 0) {
        const int error = errno;
        throw fs::filesystem_error("link", existing, link, std::error_code(error, std::generic_category()));
    }
}

void RenameReplacing(const fs::path& source, const fs::path& target)
{
    if (::rename(source.c_str(), target.c_str()) != 0) {
        const int error = errno;
        throw fs::filesystem_error("rename", source, target, std::error_code(error, std::generic_category()));
    }
}

namespace {

// An open-file-description lock belongs to the open file, as the lock of another process would, so
// two locks of one process exclude each other too; a system without them has the older record lock
// of the whole process.
bool LockRecord(int descriptor)
{
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
#ifdef F_OFD_SETLK
    if (::fcntl(descriptor, F_OFD_SETLK, &whole) == 0) return true;
    if (errno != EINVAL) return false;
#endif
    return ::fcntl(descriptor, F_SETLK, &whole) == 0;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

constexpr int kLockAttempts = 10;

}  // namespace

LockHandle TryLockFile(const fs::path& file)
{
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        // A lock file that is there is used with the rights it has: it may belong to another user of
        // the group.
        int descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kSharedFile);
        if (descriptor >= 0) {
            ::fchmod(descriptor, kSharedFile);
        } else if (errno == EEXIST) {
            descriptor = ::open(file.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        }
        if (descriptor < 0) ThrowErrno("open lock file", file);
        if (!FaultSimulated("unshared-locks") && !LockRecord(descriptor)) {
            const int error = errno;
            ::close(descriptor);
            if (error == EAGAIN || error == EACCES) return kNoLock;
            ThrowErrno("lock", file, error);
        }
        // The file may have been removed (it looks stale between runs) after it was opened, and a
        // new one made that another run locks: only a lock on the file at the name counts.
        if (LockStillOnFile(descriptor, file)) return descriptor;
        ::close(descriptor);
    }
    ThrowErrno("lock", file, EAGAIN);
}

void ReleaseLock(LockHandle lock) noexcept
{
    if (lock != kNoLock) ::close(static_cast<int>(lock));  // closing releases the lock
}

bool LockStillOnFile(LockHandle lock, const fs::path& file)
{
    struct stat locked {};
    struct stat named {};
    return ::fstat(static_cast<int>(lock), &locked) == 0 && ::lstat(file.c_str(), &named) == 0 &&
           SameFile(locked, named);
}

std::optional<FileIdentity> IdentityOf(const fs::path& file)
{
    struct stat status {};
    if (::lstat(file.c_str(), &status) != 0) {
        if (errno == ENOENT) return std::nullopt;
        ThrowErrno("stat", file);
    }
    return FileIdentity{static_cast<std::uintmax_t>(status.st_dev), static_cast<std::uintmax_t>(status.st_ino),
                        static_cast<std::uintmax_t>(status.st_size),
                        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

bool SameEntry(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error);
}

fs::path ExecutableDirectory()
{
    std::error_code error;
    const auto executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return executable.parent_path();
}

std::vector<std::string> ProgramArguments(int argc, char* argv[])
{
    return {argv + 1, argv + argc};
}

void PrepareConsole()
{
    // A terminal takes the bytes as they are.
}

fs::path UserSettingsFolder()
{
    return {};
}

fs::path UserDocumentsFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && fs::path(home).is_absolute()) return fs::path(home);
    const passwd* user = ::getpwuid(::getuid());
    return user != nullptr && user->pw_dir != nullptr ? fs::path(user->pw_dir) : fs::path();
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

std::FILE* OpenForReading(const fs::path& file)
{
    return std::fopen(file.c_str(), "rb");
}

std::optional<std::uintmax_t> RegularFileSize(std::FILE* file)
{
    struct stat status {};
    if (::fstat(::fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    return static_cast<std::uintmax_t>(status.st_size);
}

}  // namespace kalmora::platform
