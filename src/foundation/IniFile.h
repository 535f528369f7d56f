#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalmora {

// A profile file that exists but can't be read, or can't be written.
class IniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Longest value a read returns; a longer one is cut, as the settings file always behaved.
inline constexpr std::size_t kMaxProfileValueLength = 254;

// Reads one value of a profile ("INI") file. Section and key names compare without regard to
// ASCII case; the first matching section and key count. The value is trimmed of blanks and tabs
// and cut to 254 characters, and trimmed again where the cut ends in blanks or tabs. Nothing for a
// missing file, section or key and for an empty value.
// Throws IniFileError when the file exists but can't be read.
std::optional<std::string> ReadProfileString(const std::filesystem::path& file, std::string_view section,
                                             std::string_view key);

// Sets one key: an existing key is changed in place, a missing key is added at the end of its
// section, a missing section at the end of the file, and a missing file (with its directory) is
// created. Every other line, comment and line end stays as it was. The file is replaced as a
// whole through a temporary file, so it is never left half-written. Throws IniFileError on failure
// and for names or values that would break the file's lines.
void WriteProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                        std::string_view value);

struct ProfileSection {
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Entries;  // key, value
};

// Writes a complete new profile file in place of whatever was there, in the same safe way.
void WriteProfileFile(const std::filesystem::path& file, const std::vector<ProfileSection>& sections);

}  // namespace kalmora
