#pragma once

#include "foundation/Platform.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace kalmora {

class Database;

// One version of a database file: what tells it from every other file and from its own earlier and
// later states. The engine counts every committed change in the file's header, which a file system
// that keeps coarse times would miss.
struct FileVersion {
    platform::FileIdentity Identity;
    std::uint32_t ChangeCounter = 0;
    bool operator==(const FileVersion&) const = default;
};

// The version of the database file `file` as it is now; nothing when there is none.
std::optional<FileVersion> VersionOf(const std::filesystem::path& file);

// Whether a version was put in place of the file's previous version (kept as "<file>.old" meanwhile).
enum class PlacedVersion { No, OverPrevious };

// What the admin database remembers of the files of its system data directory: the version of each
// that last passed the full check, or that a run wrote after its own check. A file whose version is
// still the remembered one need not be checked again.
class VerifiedFiles {
public:
    explicit VerifiedFiles(Database& admin) : m_admin(admin) {}

    // The remembered version of the file `name`; nothing when there is none.
    std::optional<FileVersion> Remembered(std::string_view name);

    // Whether `version` of the file `name` is remembered as the one a run put in place of its
    // previous file.
    bool RememberedAsPlaced(std::string_view name, const FileVersion& version);

    // Remembers `version` of the file `name` (the table is made on first use, so older admin
    // databases gain it). Only a holder of the system data lock writes the admin database.
    void Remember(std::string_view name, const FileVersion& version, PlacedVersion placed = PlacedVersion::No);

    // Forgets the file `name`, for one that is gone or failed its check.
    void Forget(std::string_view name);

private:
    bool TableExists();
    Database& m_admin;
};

}  // namespace kalmora
