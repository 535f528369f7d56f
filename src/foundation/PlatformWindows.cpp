// The platform functions on Windows. Paths cross the system boundary through the wide (UTF-16) API,
// never the ANSI one, so names with umlauts and blanks work whatever the machine's code page.
#include "foundation/Platform.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

// windows.h first: the other system headers build on it.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <shlobj.h>

// The names of this module, not windows.h's macros for the wide functions.
#undef CreateHardLink

namespace kalmora::platform {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void ThrowSystem(const std::string& what, const fs::path& path, DWORD error = ::GetLastError())
{
    throw fs::filesystem_error(what, path, std::error_code(static_cast<int>(error), std::system_category()));
}

[[noreturn]] void ThrowSystem(const std::string& what, const fs::path& path1, const fs::path& path2,
                              DWORD error = ::GetLastError())
{
    throw fs::filesystem_error(what, path1, path2, std::error_code(static_cast<int>(error), std::system_category()));
}

// Closes a handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle()
    {
        if (Valid()) ::CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    HANDLE Release()
    {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE m_handle;
};

// Every other opener may read, write and delete, as on POSIX: a reader never blocks the replacement
// or removal of a file by name.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens the entry `path` names itself (a link is not followed); a folder as well as a file.
HANDLE OpenEntry(const fs::path& path, DWORD access)
{
    return ::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool NotFound(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

void SyncFile(const fs::path& file)
{
    if (OperationFailureSimulated("sync", file)) ThrowSystem("FlushFileBuffers", file, ERROR_IO_DEVICE);
    const Handle handle(
        ::CreateFileW(file.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) ThrowSystem("open for sync", file);
    if (::FlushFileBuffers(handle.Get())) return;
    const DWORD error = ::GetLastError();
    // Some file systems cannot flush every kind of file; the data went out with the close there.
    if (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED) return;
    ThrowSystem("FlushFileBuffers", file, error);
}

void SyncDirectory(const fs::path& directory)
{
    // Windows cannot flush a folder; RenameReplacing writes its rename through to the disk instead.
    if (OperationFailureSimulated("sync", directory)) ThrowSystem("FlushFileBuffers", directory, ERROR_IO_DEVICE);
}

void RestrictToOwnerAndGroup(const fs::path& path)
{
    // A file or folder takes the rights of the folder it is made in; the administrator set those for
    // the installation and they are left alone.
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) ThrowSystem("GetFileAttributes", path);
}

void ShareWithGroup(const fs::path& path)
{
    // Rights are inherited from the folder there (see RestrictToOwnerAndGroup).
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) ThrowSystem("GetFileAttributes", path);
}

bool CreateSharedFolder(const fs::path& folder)
{
    if (::CreateDirectoryW(folder.c_str(), nullptr)) return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS) return false;
    ThrowSystem("CreateDirectory", folder, error);
}

bool OpenToOthers(const fs::path&)
{
    return false;  // inherited rights are the administrator's choice, not the program's to judge
}

bool CreateFileExclusively(const fs::path& file)
{
    const Handle handle(
        ::CreateFileW(file.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle.Valid()) return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
    ThrowSystem("create", file, error);
}

void CopyFileReplacing(const fs::path& source, const fs::path& target)
{
    // The C++ library's copy_file takes any two files of a drive for the same one there and refuses.
    if (!::CopyFileW(source.c_str(), target.c_str(), FALSE)) ThrowSystem("copy", source, target);
}

void CreateHardLink(const fs::path& existing, const fs::path& link)
{
    if (FaultSimulated("no-hard-links")) ThrowSystem("link", existing, link, ERROR_NOT_SUPPORTED);
    if (!::CreateHardLinkW(link.c_str(), existing.c_str(), nullptr)) ThrowSystem("link", existing, link);
}

void RenameReplacing(const fs::path& source, const fs::path& target)
{
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING is one rename of the file system (a link named
    // `target` is replaced, not followed), so `target` names either file at any moment;
    // MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk. ReplaceFileW is no choice:
    // it renames in several steps and may fail between them with `target` gone.
    // A scanner or indexer that opened the target without sharing its deletion makes the rename
    // fail for a moment; it is tried again for a short while.
    constexpr int kAttempts = 20;
    constexpr DWORD kPauseMilliseconds = 50;
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
        const DWORD error = ::GetLastError();
        if (attempt == kAttempts || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION))
            ThrowSystem("rename", source, target, error);
        ::Sleep(kPauseMilliseconds);
    }
}

namespace {

struct EntryIdentity {
    DWORD Volume = 0;
    DWORD IndexHigh = 0;
    DWORD IndexLow = 0;
    bool operator==(const EntryIdentity&) const = default;
};

std::optional<BY_HANDLE_FILE_INFORMATION> InformationOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle, &information)) return std::nullopt;
    return information;
}

std::optional<EntryIdentity> EntryOf(HANDLE handle)
{
    const auto information = InformationOf(handle);
    if (!information) return std::nullopt;
    return EntryIdentity{information->dwVolumeSerialNumber, information->nFileIndexHigh, information->nFileIndexLow};
}

constexpr int kLockAttempts = 10;

}  // namespace

LockHandle TryLockFile(const fs::path& file)
{
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        // Deleting is shared so that the file can be removed under a held lock, as on POSIX; the check
        // below sees that.
        Handle handle(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!handle.Valid()) ThrowSystem("open lock file", file);
        const auto information = InformationOf(handle.Get());
        if (!information) ThrowSystem("lock", file);
        if ((information->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
            ThrowSystem("open lock file", file, ERROR_CANT_RESOLVE_FILENAME);
        // A byte-range lock over the whole file, held by this handle: a second handle of the same
        // process is refused as another process is, and SMB carries it to the other workstations.
        if (!FaultSimulated("unshared-locks")) {
            OVERLAPPED whole{};
            if (!::LockFileEx(handle.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                              &whole)) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) return kNoLock;
                ThrowSystem("lock", file, error);
            }
        }
        const auto lock = reinterpret_cast<LockHandle>(handle.Get());
        // The file may have been removed (it looks stale between runs) after it was opened, and a new
        // one made that another run locks: only a lock on the file at the name counts.
        if (LockStillOnFile(lock, file)) return reinterpret_cast<LockHandle>(handle.Release());
    }
    ThrowSystem("lock", file, ERROR_LOCK_VIOLATION);
}

void ReleaseLock(LockHandle lock) noexcept
{
    if (lock != kNoLock) ::CloseHandle(reinterpret_cast<HANDLE>(lock));  // closing releases the lock
}

bool LockStillOnFile(LockHandle lock, const fs::path& file)
{
    const auto handle = reinterpret_cast<HANDLE>(lock);
    // A file removed while a handle holds it open may keep its name until the last handle closes.
    FILE_STANDARD_INFO standard{};
    if (!::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) || standard.DeletePending)
        return false;
    const auto locked = EntryOf(handle);
    const Handle named(OpenEntry(file, FILE_READ_ATTRIBUTES));
    return locked && named.Valid() && EntryOf(named.Get()) == locked;
}

std::optional<FileIdentity> IdentityOf(const fs::path& file)
{
    const Handle handle(OpenEntry(file, FILE_READ_ATTRIBUTES));
    if (!handle.Valid()) {
        const DWORD error = ::GetLastError();
        if (NotFound(error)) return std::nullopt;
        ThrowSystem("stat", file, error);
    }
    const auto information = InformationOf(handle.Get());
    if (!information) ThrowSystem("stat", file);
    const auto index = (static_cast<std::uintmax_t>(information->nFileIndexHigh) << 32) | information->nFileIndexLow;
    const auto size = (static_cast<std::uintmax_t>(information->nFileSizeHigh) << 32) | information->nFileSizeLow;
    // FILETIME counts 100-nanosecond steps.
    const auto written = (static_cast<std::int64_t>(information->ftLastWriteTime.dwHighDateTime) << 32) |
                         information->ftLastWriteTime.dwLowDateTime;
    return FileIdentity{information->dwVolumeSerialNumber, index, size, written * 100};
}

bool SameEntry(const fs::path& a, const fs::path& b)
{
    // The C++ library there cannot open a folder to compare it.
    const auto open = [](const fs::path& path) {
        return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    };
    const Handle first(open(a));
    const Handle second(open(b));
    if (!first.Valid() || !second.Valid()) return false;
    const auto identity = EntryOf(first.Get());
    return identity && identity == EntryOf(second.Get());
}

fs::path ExecutableDirectory()
{
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) return fs::path(std::wstring(name.data(), length)).parent_path();
        name.resize(name.size() * 2);
    }
}

namespace {

std::string Utf8(const wchar_t* text)
{
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string result(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), length, nullptr, nullptr);
    result.pop_back();  // the terminating zero
    return result;
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char* argv[])
{
    // argv is in the ANSI code page, which cannot hold every name; the wide command line can.
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return {argv + 1, argv + argc};
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Utf8(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

void PrepareConsole()
{
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
    // Text mode would write each line feed as CR LF: what a script reads from the program is the same
    // bytes on every system.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

fs::path UserSettingsFolder()
{
    const wchar_t* folder = ::_wgetenv(L"APPDATA");
    return folder ? fs::path(folder) : fs::path();
}

fs::path UserDocumentsFolder()
{
    wchar_t folder[MAX_PATH] = {};
    if (::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) return {};
    return fs::path(folder);
}

bool StandardErrorIsTerminal()
{
    // _isatty also holds for the NUL device; only a console has a console mode.
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::tm LocalTime(std::time_t time)
{
    std::tm local{};
    ::localtime_s(&local, &time);
    return local;
}

std::FILE* OpenForReading(const fs::path& file)
{
    return ::_wfopen(file.c_str(), L"rb");
}

std::optional<std::uintmax_t> RegularFileSize(std::FILE* file)
{
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
    LARGE_INTEGER size{};
    if (handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileSizeEx(handle, &size))
        return std::nullopt;
    return static_cast<std::uintmax_t>(size.QuadPart);
}

}  // namespace kalmora::platform
