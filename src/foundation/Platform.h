#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What differs between operating systems, behind one small interface with one implementation per
// system. Nothing else in the program makes a system call of its own.
namespace kalmora::platform {

// Forces a file's contents to disk. Throws std::filesystem::filesystem_error.
void SyncFile(const std::filesystem::path& file);

// Makes the entries of a directory durable, so that a rename into it survives a crash. A file
// system that cannot sync a directory is passed over. Throws std::filesystem::filesystem_error.
void SyncDirectory(const std::filesystem::path& directory);

// Takes every access of users outside the owner and the group away from the file or folder `path`
// (a group of users may share an installation; nobody else sees its patient data). Where rights are
// inherited from the folder instead, nothing is changed. Throws std::filesystem::filesystem_error.
void RestrictToOwnerAndGroup(const std::filesystem::path& path);

// Gives the owner and the group of the file or folder `path` exactly the rights a shared installation
// needs, whatever the umask: a file rw for both (0660), a folder rwx for both (0770, keeping its
// set-group-ID bit, so that what is made in it belongs to the installation's group); nothing for
// anybody else. Where rights are inherited from the folder instead, nothing is changed. Throws
// std::filesystem::filesystem_error.
void ShareWithGroup(const std::filesystem::path& path);

// Makes the folder `folder` (its parent must exist) with the rights of ShareWithGroup; false when it
// exists already. Throws std::filesystem::filesystem_error.
bool CreateSharedFolder(const std::filesystem::path& folder);

// Whether users outside the owner and the group may read, write or enter `path`.
bool OpenToOthers(const std::filesystem::path& path);

// Creates an empty `file` with the rights of ShareWithGroup; false when a file of that name exists
// already. Throws std::filesystem::filesystem_error for any other failure.
bool CreateFileExclusively(const std::filesystem::path& file);

// Copies the file `source` over `target`, which may exist. Throws std::filesystem::filesystem_error.
void CopyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& target);

// Makes `link` a second name of the file `existing`. Throws std::filesystem::filesystem_error, also
// where the file system has no hard links (many network shares, FAT).
void CreateHardLink(const std::filesystem::path& existing, const std::filesystem::path& link);

// Renames `source` over `target` in one step: `target` is then either its old or its new file. A
// symbolic link named `target` is replaced itself, never followed. Throws
// std::filesystem::filesystem_error.
void RenameReplacing(const std::filesystem::path& source, const std::filesystem::path& target);

// An exclusive lock on a lock file, held until it is released or the process ends.
using LockHandle = std::intptr_t;
inline constexpr LockHandle kNoLock = -1;

// Opens `file` (creating it with the rights of ShareWithGroup; an existing one is used with the
// rights it has) and locks it without waiting; kNoLock when another process, or another lock of this
// one, holds it. The lock is a record lock, which network file systems carry to the
// other workstations. A lock file removed or replaced while it was being locked is taken again, so
// the lock returned is on the file that bears the name. A symbolic link of the name is refused.
// Throws std::filesystem::filesystem_error when the file cannot be opened or locked.
LockHandle TryLockFile(const std::filesystem::path& file);
void ReleaseLock(LockHandle lock) noexcept;

// Whether `file` still names the file that `lock` holds: false once it was removed or replaced.
bool LockStillOnFile(LockHandle lock, const std::filesystem::path& file);

// What tells one file from another, and a file from its earlier self: two looks at a name that give
// the same identity saw the same, unchanged file.
struct FileIdentity {
    std::uintmax_t Device = 0;
    std::uintmax_t Inode = 0;
    std::uintmax_t Size = 0;
    std::int64_t ModifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `file` names (a link is not followed); nothing when there is none.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file);

// Whether `a` and `b` name the same file or folder (links followed); false when either is missing.
bool SameEntry(const std::filesystem::path& a, const std::filesystem::path& b);

// The folder of the running program; empty when the system does not tell.
std::filesystem::path ExecutableDirectory();

// The program's arguments after its name, in UTF-8 whatever the system's code page.
std::vector<std::string> ProgramArguments(int argc, char* argv[]);

// Makes a console show the program's UTF-8 text (its German umlauts) as it is, and standard output
// and error carry the program's bytes unchanged.
void PrepareConsole();

// The folder in which the system keeps each user's own program settings (the roaming application data
// on Windows); empty where they follow the XDG rule instead.
std::filesystem::path UserSettingsFolder();

// The folder in which a user keeps their own files, where a first start proposes an installation: the
// documents folder on Windows ("Dokumente"), the home folder elsewhere; empty when the system does
// not tell.
std::filesystem::path UserDocumentsFolder();

// Whether standard error goes to a terminal, where progress may overwrite its own line.
bool StandardErrorIsTerminal();

// The local calendar time of `time`.
std::tm LocalTime(std::time_t time);

// Opens `file` to read its bytes; nullptr when it cannot be opened.
std::FILE* OpenForReading(const std::filesystem::path& file);

// The size of an open file when it is a regular file; nothing for a pipe or a device.
std::optional<std::uintmax_t> RegularFileSize(std::FILE* file);

// Whether a test asked the platform functions to behave as a file system with a fault would:
// "no-hard-links" (CreateHardLink fails as on a share without them), "unshared-locks" (every lock
// is granted, as on a share that does not carry locks to other workstations). The faults are named
// in the environment variable KALMORA_SIMULATE_FAULTS, separated by commas; a program run without it
// simulates nothing.
bool FaultSimulated(std::string_view fault);

// Whether a test asked that `operation` ("read", "sync", "remove", ...) fail for the file or folder
// `file`, as an input/output error of the disk would: "fail-<operation>=<name>" in
// KALMORA_SIMULATE_FAULTS fails every such call for a file of that name, "fail-<operation>=<name>@<n>"
// only the n-th of this process since the variable last changed.
bool OperationFailureSimulated(std::string_view operation, const std::filesystem::path& file);

// The bytes of `file`. Throws std::filesystem::filesystem_error when it cannot be opened or read.
std::string ReadFileBytes(const std::filesystem::path& file);

// Removes the file `file`; false when there was none. Throws std::filesystem::filesystem_error.
bool RemoveFile(const std::filesystem::path& file);

}  // namespace kalmora::platform
