#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace kalmora {

// The name's ending of a file built beside its target under the system data lock. Its mark
// ("~kalmora") is one no user gives a file: the sweep of what killed runs left removes only files
// that carry it (and the program's own names).
inline constexpr std::string_view kBuildingSuffix = ".~kalmora.new";

// `name` without an ending of the database engine's side files ("-journal", "-wal", "-shm").
std::string_view WithoutSideFileSuffix(std::string_view name);

// Whether `name` (or the side file of one) is a file that a run builds beside its target.
bool IsBuildingName(std::string_view name);

// Whether `name` (or the side file of one) is a hidden file that a writer without the lock built
// beside `target`: "." + target + ".tmp" + digits.
bool IsHiddenTemporaryOf(std::string_view name, std::string_view target);

// Writes a file beside its target and puts it in place only when it is complete. Commit flushes,
// syncs, renames it over the target and syncs the folder, so that the target is the whole old or the
// whole new file, also after a crash. Dropped without a commit, it removes its file (and the side
// files a database engine may have made beside it).
class SafeFile {
public:
    enum class Sibling {
        // A hidden name of its own, created exclusively: for writers that hold no lock.
        Unique,
        // The target's name and kBuildingSuffix, a stale file of that name removed first: for writers
        // under the system data lock, whose next run so clears what a crashed one left.
        Fixed,
    };

    // Throws std::filesystem::filesystem_error when the file beside the target cannot be made, or when
    // the target is something other than a file or a link (a directory, a device).
    explicit SafeFile(std::filesystem::path target, Sibling sibling = Sibling::Unique);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Where the new content is built; a writer may also fill it by other means (a copy, a database).
    const std::filesystem::path& Path() const { return m_path; }
    const std::filesystem::path& Target() const { return m_target; }

    // A binary stream on Path(), opened on first use.
    std::ostream& Stream();
    void Write(std::string_view content)
    {
        Stream().write(content.data(), static_cast<std::streamsize>(content.size()));
    }

    // Writes out and closes the stream, where one is open, so that the file holds what was written so
    // far (a writer that failed keeps it under another name); the file stays.
    void CloseStream() noexcept;

    // Gives the new file the permissions of `file`, where that exists, but for any access of others,
    // which no file put in place keeps. Without it the file gets those of a shared installation
    // (platform::ShareWithGroup).
    void KeepPermissionsOf(const std::filesystem::path& file);

    // Replaces the target; a symbolic link of the target's name is replaced itself, never followed.
    // Throws std::filesystem::filesystem_error when the target could not be replaced; it is then as
    // it was. Once it is replaced, only making that durable (syncing the folder) can still fail: that
    // error is returned, empty when there is none, for the caller to tell beside its success.
    [[nodiscard]] std::error_code Commit();

    // Puts the file in place only where no file of the target's name exists, so that one made
    // meanwhile by someone else survives. Throws std::filesystem::filesystem_error, also when one does;
    // returns as Commit does.
    [[nodiscard]] std::error_code CommitNew();

private:
    void FinishWriting();
    void Discard() noexcept;

    std::filesystem::path m_target;
    std::filesystem::path m_path;
    std::ofstream m_stream;
    bool m_placed = false;
    bool m_keepPermissions = false;
};

}  // namespace kalmora
