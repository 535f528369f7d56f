#include "foundation/SafeFile.h"

#include "foundation/Platform.h"

#include <algorithm>
#include <random>
#include <string>
#include <system_error>

namespace kalmora {

namespace fs = std::filesystem;

namespace {

constexpr int kUniqueNameAttempts = 100;

fs::path WithSuffix(const fs::path& file, std::string_view suffix)
{
    auto result = file;
    result += suffix;
    return result;
}

void RemoveWithSideFiles(const fs::path& file) noexcept
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        std::error_code ignored;
        fs::remove(WithSuffix(file, suffix), ignored);
    }
}

[[noreturn]] void ThrowWriteFailure(const fs::path& file)
{
    throw fs::filesystem_error("write", file, std::make_error_code(std::errc::io_error));
}

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string_view WithoutSideFileSuffix(std::string_view name)
{
    for (std::string_view side : {"-journal", "-wal", "-shm"}) {
        if (name.ends_with(side)) return name.substr(0, name.size() - side.size());
    }
    return name;
}

bool IsBuildingName(std::string_view name)
{
    name = WithoutSideFileSuffix(name);
    return name.size() > kBuildingSuffix.size() && name.ends_with(kBuildingSuffix);
}

bool IsHiddenTemporaryOf(std::string_view name, std::string_view target)
{
    name = WithoutSideFileSuffix(name);
    const std::string prefix = "." + std::string(target) + ".tmp";
    return name.starts_with(prefix) && AllDigits(name.substr(prefix.size()));
}

SafeFile::SafeFile(fs::path target, Sibling sibling) : m_target(std::move(target))
{
    // Only a file (or a link, which is replaced itself) gives way: never a directory or a device.
    std::error_code error;
    const auto status = fs::symlink_status(m_target, error);
    if (!error && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status)) {
        throw fs::filesystem_error(
            "replace", m_target,
            std::make_error_code(fs::is_directory(status) ? std::errc::is_a_directory : std::errc::invalid_argument));
    }
    if (sibling == Sibling::Fixed) {
        m_path = WithSuffix(m_target, kBuildingSuffix);
        RemoveWithSideFiles(m_path);
        if (!platform::CreateFileExclusively(m_path)) {
            throw fs::filesystem_error("create", m_path, std::make_error_code(std::errc::file_exists));
        }
        return;
    }
    std::random_device random;
    for (int attempt = 0; attempt < kUniqueNameAttempts; ++attempt) {
        m_path = m_target;
        m_path.replace_filename("." + m_target.filename().string() + ".tmp" + std::to_string(random()));
        if (platform::CreateFileExclusively(m_path)) return;
    }
    throw fs::filesystem_error("create", m_path, std::make_error_code(std::errc::file_exists));
}

SafeFile::~SafeFile()
{
    if (!m_placed) Discard();
}

std::ostream& SafeFile::Stream()
{
    if (!m_stream.is_open()) {
        m_stream.open(m_path, std::ios::binary | std::ios::trunc);
        if (!m_stream) ThrowWriteFailure(m_path);
    }
    return m_stream;
}

void SafeFile::CloseStream() noexcept
{
    if (m_stream.is_open()) m_stream.close();
}

void SafeFile::KeepPermissionsOf(const fs::path& file)
{
    std::error_code error;
    const auto status = fs::status(file, error);
    if (error || !fs::exists(status)) return;
    fs::permissions(m_path, status.permissions(), fs::perm_options::replace, error);
    m_keepPermissions = !error;
}

void SafeFile::FinishWriting()
{
    if (m_stream.is_open()) {
        m_stream.flush();
        const bool written = static_cast<bool>(m_stream);
        m_stream.close();
        if (!written || !m_stream) ThrowWriteFailure(m_path);
    }
    // A copy takes the permissions of its source; what is put in place is never open to others, and
    // what a run makes is open to the installation's group.
    if (m_keepPermissions) {
        platform::RestrictToOwnerAndGroup(m_path);
    } else {
        platform::ShareWithGroup(m_path);
    }
    platform::SyncFile(m_path);
}

namespace {

// The folder's sync after a rename: the target is in place either way.
std::error_code SyncFolderOf(const fs::path& target) noexcept
{
    try {
        platform::SyncDirectory(target.parent_path());
        return {};
    } catch (const fs::filesystem_error& error) {
        return error.code();
    } catch (...) {
        return std::make_error_code(std::errc::io_error);
    }
}

}  // namespace

std::error_code SafeFile::Commit()
{
    FinishWriting();
    platform::RenameReplacing(m_path, m_target);
    m_placed = true;
    return SyncFolderOf(m_target);
}

std::error_code SafeFile::CommitNew()
{
    FinishWriting();
    // A hard link refuses an existing target; where the file system has no hard links, a rename is
    // atomic as well, though it would replace a file made meanwhile.
    std::error_code error;
    fs::create_hard_link(m_path, m_target, error);
    if (error) {
        if (fs::exists(m_target)) throw fs::filesystem_error("create", m_target, error);
        platform::RenameReplacing(m_path, m_target);
        m_placed = true;
    } else {
        m_placed = true;
        std::error_code ignored;
        fs::remove(m_path, ignored);
    }
    return SyncFolderOf(m_target);
}

void SafeFile::Discard() noexcept
{
    if (m_stream.is_open()) m_stream.close();
    RemoveWithSideFiles(m_path);
}

}  // namespace kalmora
