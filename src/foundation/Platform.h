#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>

// What differs between operating systems, behind one small interface with one implementation per
// system. Nothing else in the program makes a system call of its own.
namespace kalmora::platform {

// Forces a file's contents to disk. Throws std::filesystem::filesystem_error.
void SyncFile(const std::filesystem::path& file);

// Makes the entries of a directory durable, so that a rename into it survives a crash. A file
// system that cannot sync a directory is passed over. Throws std::filesystem::filesystem_error.
void SyncDirectory(const std::filesystem::path& directory);

// Creates an empty `file`; false when a file of that name exists already. Throws
// std::filesystem::filesystem_error for any other failure.
bool CreateFileExclusively(const std::filesystem::path& file);

// Renames `source` over `target` in one step: `target` is then either its old or its new file. A
// symbolic link named `target` is replaced itself, never followed. Throws
// std::filesystem::filesystem_error.
void RenameReplacing(const std::filesystem::path& source, const std::filesystem::path& target);

// An exclusive lock on a lock file, held until it is released or the process ends.
using LockHandle = std::intptr_t;
inline constexpr LockHandle kNoLock = -1;

// Opens `file` (creating it) and locks it without waiting; kNoLock when another process holds the
// lock. Throws std::filesystem::filesystem_error when the file cannot be opened or locked.
LockHandle TryLockFile(const std::filesystem::path& file);
void ReleaseLock(LockHandle lock) noexcept;

// The folder of the running program; empty when the system does not tell.
std::filesystem::path ExecutableDirectory();

// Whether standard error goes to a terminal, where progress may overwrite its own line.
bool StandardErrorIsTerminal();

// The local calendar time of `time`.
std::tm LocalTime(std::time_t time);

// The size of an open file when it is a regular file; nothing for a pipe or a device.
std::optional<std::uintmax_t> RegularFileSize(std::FILE* file);

}  // namespace kalmora::platform
