#include "storage/VerifiedFiles.h"

#include "storage/Database.h"
#include "storage/Schema.h"

namespace kalmora {

namespace {

// The engine's file change counter: four bytes, most significant first, at offset 24 of the header.
constexpr std::size_t kChangeCounterOffset = 24;

std::uint32_t ChangeCounterOf(const std::filesystem::path& file)
{
    const std::string header = DatabaseHeaderOf(file);
    if (header.size() < kChangeCounterOffset + 4) return 0;
    std::uint32_t counter = 0;
    for (std::size_t i = 0; i < 4; ++i)
        counter = counter << 8 | static_cast<unsigned char>(header[kChangeCounterOffset + i]);
    return counter;
}

}  // namespace

std::optional<FileVersion> VersionOf(const std::filesystem::path& file)
{
    const auto identity = platform::IdentityOf(file);
    if (!identity) return std::nullopt;
    return FileVersion{*identity, ChangeCounterOf(file)};
}

bool VerifiedFiles::TableExists()
{
    auto table = m_admin.Prepare("SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?");
    table.BindAll(kVerifiedFilesTable);
    return table.Step();
}

namespace {

// The identities are unsigned; the table holds their bits as signed 64-bit numbers.
std::int64_t Bits(std::uintmax_t value)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(value));
}

std::uintmax_t Unsigned(std::int64_t bits)
{
    return static_cast<std::uintmax_t>(static_cast<std::uint64_t>(bits));
}

}  // namespace

std::optional<FileVersion> VerifiedFiles::Remembered(std::string_view name)
{
    if (!TableExists()) return std::nullopt;
    auto row = m_admin.Prepare("SELECT \"DEVICE\", \"INODE\", \"SIZE\", \"MODIFIED_NS\", \"CHANGE_COUNTER\" FROM " +
                               QuoteIdentifier(kVerifiedFilesTable) + " WHERE \"FILE\" = ?");
    row.BindAll(name);
    if (!row.Step()) return std::nullopt;
    return FileVersion{{Unsigned(row.Int(0)), Unsigned(row.Int(1)), Unsigned(row.Int(2)), row.Int(3)},
                       static_cast<std::uint32_t>(row.Int(4))};
}

bool VerifiedFiles::RememberedAsPlaced(std::string_view name, const FileVersion& version)
{
    if (Remembered(name) != version) return false;
    auto row =
        m_admin.Prepare("SELECT \"PLACED\" FROM " + QuoteIdentifier(kVerifiedFilesTable) + " WHERE \"FILE\" = ?");
    row.BindAll(name);
    return row.Step() && row.Int(0) == 1;
}

void VerifiedFiles::Remember(std::string_view name, const FileVersion& version, PlacedVersion placed)
{
    m_admin.Execute(VerifiedFilesSchemaSql());
    m_admin
        .Prepare("INSERT OR REPLACE INTO " + QuoteIdentifier(kVerifiedFilesTable) +
                 " (\"FILE\", \"DEVICE\", \"INODE\", \"SIZE\", \"MODIFIED_NS\", \"CHANGE_COUNTER\", \"PLACED\") "
                 "VALUES (?, ?, ?, ?, ?, ?, ?)")
        .BindAll(name, Bits(version.Identity.Device), Bits(version.Identity.Inode), Bits(version.Identity.Size),
                 version.Identity.ModifiedNanoseconds, static_cast<std::int64_t>(version.ChangeCounter),
                 placed == PlacedVersion::OverPrevious ? 1 : 0)
        .Execute();
}

void VerifiedFiles::Forget(std::string_view name)
{
    if (!TableExists()) return;
    m_admin.Prepare("DELETE FROM " + QuoteIdentifier(kVerifiedFilesTable) + " WHERE \"FILE\" = ?")
        .BindAll(name)
        .Execute();
}

}  // namespace kalmora
