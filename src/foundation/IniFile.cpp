#include "foundation/IniFile.h"

#include "foundation/FailureText.h"
#include "foundation/FixedText.h"
#include "foundation/Platform.h"
#include "foundation/SafeFile.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace kalmora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kWhitespace = " \t";

struct Line {
    std::string text;
    std::string ending;  // "\n", "\r\n", or "" for a last line without one
};

struct ProfileText {
    std::string bom;
    std::vector<Line> lines;
};

struct Entry {
    std::string_view key;
    std::string_view value;
    std::size_t valueStart;  // offset of the value in the line, after "=" and its blanks
};

std::string_view TrimWhitespace(std::string_view text)
{
    const auto first = text.find_first_not_of(kWhitespace);
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(kWhitespace);
    return text.substr(first, last - first + 1);
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view lhs, std::string_view rhs)
{
    if (lhs.size() != rhs.size()) return false;
    for (std::size_t i = 0; i < lhs.size(); ++i) {
        if (AsciiLower(lhs[i]) != AsciiLower(rhs[i])) return false;
    }
    return true;
}

// `what` names the failure with a "%s" where the file goes.
[[noreturn]] void Fail(std::string_view what, const fs::path& file, const std::error_code& error = {})
{
    std::string message(what);
    message.replace(message.find("%s"), 2, file.string());
    if (error) message += ": " + GermanErrorText(error);
    throw IniFileError(message);
}

// The file's bytes, or nothing when there is no such file.
std::optional<std::string> ReadFileIfPresent(const fs::path& file)
{
    std::error_code error;
    const auto status = fs::status(file, error);
    if (status.type() == fs::file_type::not_found) return std::nullopt;
    if (error) Fail("Die Einstellungsdatei %s kann nicht geprüft werden", file, error);
    if (fs::is_directory(status)) Fail("Die Einstellungsdatei %s ist ein Verzeichnis", file);

    try {
        return platform::ReadFileBytes(file);
    } catch (const fs::filesystem_error& failure) {
        Fail("Die Einstellungsdatei %s kann nicht gelesen werden", file, failure.code());
    }
}

ProfileText SplitLines(std::string_view content)
{
    ProfileText result;
    if (content.starts_with(kUtf8Bom)) {
        result.bom = kUtf8Bom;
        content.remove_prefix(kUtf8Bom.size());
    }
    while (!content.empty()) {
        Line line;
        const auto end = content.find('\n');
        if (end == std::string_view::npos) {
            line.text = content;
            content = {};
        } else {
            line.text = content.substr(0, end);
            line.ending = "\n";
            content.remove_prefix(end + 1);
            if (line.text.ends_with('\r')) {
                line.text.pop_back();
                line.ending = "\r\n";
            }
        }
        result.lines.push_back(std::move(line));
    }
    return result;
}

std::string JoinLines(const ProfileText& text)
{
    std::string result = text.bom;
    for (const auto& line : text.lines) result += line.text + line.ending;
    return result;
}

// Lines added to a file end like its first line does.
std::string NewLineOf(const ProfileText& text)
{
    for (const auto& line : text.lines) {
        if (!line.ending.empty()) return line.ending;
    }
    return "\n";
}

std::optional<std::string_view> SectionName(std::string_view line)
{
    const auto text = TrimWhitespace(line);
    if (!text.starts_with('[')) return std::nullopt;
    return TrimWhitespace(text.substr(1, text.find(']') - 1));
}

std::optional<Entry> ParseEntry(std::string_view line)
{
    const auto text = TrimWhitespace(line);
    if (text.empty() || text.starts_with(';') || text.starts_with('[')) return std::nullopt;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const auto afterEquals = line.find_first_not_of(kWhitespace, equals + 1);
    const auto valueStart = afterEquals == std::string_view::npos ? line.size() : afterEquals;
    return Entry{TrimWhitespace(line.substr(0, equals)), TrimWhitespace(line.substr(valueStart)), valueStart};
}

std::size_t FindSection(const std::vector<Line>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i].text);
        if (name && EqualsIgnoringCase(*name, section)) return i;
    }
    return lines.size();
}

std::size_t SectionEnd(const std::vector<Line>& lines, std::size_t header)
{
    std::size_t i = header + 1;
    while (i < lines.size() && !SectionName(lines[i].text)) ++i;
    return i;
}

bool HasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Names and values are refused where they would read back differently or spill into other lines.
void CheckSection(const fs::path& file, std::string_view section)
{
    if (section.empty() || section != TrimWhitespace(section) || HasLineBreakOrNul(section) ||
        section.find(']') != std::string_view::npos) {
        Fail("Ungültiger Abschnittsname \"" + std::string(section) + "\" für %s", file);
    }
}

void CheckEntry(const fs::path& file, std::string_view key, std::string_view value)
{
    if (key.empty() || key != TrimWhitespace(key) || HasLineBreakOrNul(key) || key.find('=') != std::string_view::npos ||
        key.starts_with('[') || key.starts_with(';')) {
        Fail("Ungültiger Schlüssel \"" + std::string(key) + "\" für %s", file);
    }
    if (HasLineBreakOrNul(value)) Fail("Zeilenumbruch im Wert von \"" + std::string(key) + "\" für %s", file);
}

void SetEntry(ProfileText& text, std::string_view section, std::string_view key, std::string_view value)
{
    auto& lines = text.lines;
    const std::string newLine = NewLineOf(text);
    const std::string entryLine = std::string(key) + "=" + std::string(value);

    const std::size_t header = FindSection(lines, section);
    if (header == lines.size()) {
        if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = newLine;
        lines.push_back({"[" + std::string(section) + "]", newLine});
        lines.push_back({entryLine, newLine});
        return;
    }

    // A new key goes after the section's last entry, so blank lines and comments that lead into
    // the next section stay in front of it.
    std::size_t insertAt = header + 1;
    const std::size_t end = SectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto entry = ParseEntry(lines[i].text);
        if (!entry) continue;
        if (EqualsIgnoringCase(entry->key, key)) {
            lines[i].text = lines[i].text.substr(0, entry->valueStart) + std::string(value);
            return;
        }
        insertAt = i + 1;
    }
    if (lines[insertAt - 1].ending.empty()) lines[insertAt - 1].ending = newLine;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{entryLine, newLine});
}

void ReplaceFile(const fs::path& file, std::string_view content)
{
    if (!file.has_filename()) Fail("Kein Dateiname in %s", file);
    std::error_code error;
    // Replacing a symbolic link would cut it off from the file it points to.
    fs::path target = file;
    if (fs::is_symlink(file, error)) {
        const auto resolved = fs::canonical(file, error);
        if (!error) target = resolved;
    }
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), error);
        if (error) Fail("Das Verzeichnis der Einstellungsdatei %s kann nicht angelegt werden", target, error);
    }
    try {
        SafeFile replacement(target);
        replacement.KeepPermissionsOf(target);
        replacement.Write(content);
        // In place even where the folder could not be synced: the next start reads it.
        static_cast<void>(replacement.Commit());
    } catch (const fs::filesystem_error& failure) {
        Fail("Die Einstellungsdatei %s kann nicht geschrieben werden", target, failure.code());
    }
}

}  // namespace

std::optional<std::string> ReadProfileString(const fs::path& file, std::string_view section, std::string_view key)
{
    const auto content = ReadFileIfPresent(file);
    if (!content) return std::nullopt;
    const auto text = SplitLines(*content);
    const std::size_t header = FindSection(text.lines, section);
    if (header == text.lines.size()) return std::nullopt;
    const std::size_t end = SectionEnd(text.lines, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        const auto entry = ParseEntry(text.lines[i].text);
        if (!entry || !EqualsIgnoringCase(entry->key, key)) continue;
        if (entry->value.empty()) return std::nullopt;
        // Trimmed again, as the cut may end inside blanks the value holds.
        return std::string(TrimWhitespace(LeftCharacters(entry->value, kMaxProfileValueLength)));
    }
    return std::nullopt;
}

void WriteProfileString(const fs::path& file, std::string_view section, std::string_view key, std::string_view value)
{
    CheckSection(file, section);
    CheckEntry(file, key, value);
    const auto content = ReadFileIfPresent(file);
    ProfileText text = content ? SplitLines(*content) : ProfileText{};
    SetEntry(text, section, key, value);
    ReplaceFile(file, JoinLines(text));
}

void WriteProfileFile(const fs::path& file, const std::vector<ProfileSection>& sections)
{
    std::string content;
    for (const auto& section : sections) {
        CheckSection(file, section.Name);
        content += "[" + section.Name + "]\n";
        for (const auto& [key, value] : section.Entries) {
            CheckEntry(file, key, value);
            content += key + "=" + value + "\n";
        }
    }
    ReplaceFile(file, content);
}

}  // namespace kalmora
