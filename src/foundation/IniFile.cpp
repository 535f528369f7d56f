#include "foundation/IniFile.h"

#include "foundation/FixedText.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

[[noreturn]] void Fail(std::string_view what, const fs::path& file, const std::error_code& error = {})
{
    std::string message = std::string(what) + " '" + file.string() + "'";
    if (error) message += ": " + error.message();
    throw IniFileError(message);
}

// The file's bytes, or nothing when there is no such file.
std::optional<std::string> ReadFileIfPresent(const fs::path& file)
{
    std::error_code error;
    const auto status = fs::status(file, error);
    if (status.type() == fs::file_type::not_found) return std::nullopt;
    if (error) Fail("cannot examine settings file", file, error);
    if (fs::is_directory(status)) Fail("settings file is a directory", file);

    std::ifstream in(file, std::ios::binary);
    if (!in) Fail("cannot open settings file", file);
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) Fail("cannot read settings file", file);
    return content;
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
        Fail("invalid section name '" + std::string(section) + "' for", file);
    }
}

void CheckEntry(const fs::path& file, std::string_view key, std::string_view value)
{
    if (key.empty() || key != TrimWhitespace(key) || HasLineBreakOrNul(key) || key.find('=') != std::string_view::npos ||
        key.starts_with('[') || key.starts_with(';')) {
        Fail("invalid key name '" + std::string(key) + "' for", file);
    }
    if (HasLineBreakOrNul(value)) Fail("line break in the value of '" + std::string(key) + "' for", file);
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

// A new file beside the target that only becomes the target once it is completely on disk.
class TemporaryFile {
public:
    explicit TemporaryFile(const fs::path& target) : m_target(target)
    {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_path = target;
            m_path.replace_filename("." + target.filename().string() + ".tmp" + std::to_string(random()));
            m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd >= 0) return;
            if (errno != EEXIST) Fail("cannot create a temporary file for", target, LastError());
        }
        Fail("cannot create a temporary file for", target);
    }

    ~TemporaryFile()
    {
        if (m_fd >= 0) ::close(m_fd);
        if (!m_committed) ::unlink(m_path.c_str());
    }

    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    void Write(std::string_view content)
    {
        while (!content.empty()) {
            const auto written = ::write(m_fd, content.data(), content.size());
            if (written < 0) {
                if (errno == EINTR) continue;
                Fail("cannot write", m_target, LastError());
            }
            content.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    // The replacement keeps the permissions of the file it replaces.
    void KeepPermissionsOf(const fs::path& file)
    {
        struct stat existing {};
        if (::stat(file.c_str(), &existing) == 0) ::fchmod(m_fd, existing.st_mode & 07777);
    }

    void Commit()
    {
        if (::fsync(m_fd) != 0) Fail("cannot write", m_target, LastError());
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0) Fail("cannot write", m_target, LastError());
        std::error_code error;
        fs::rename(m_path, m_target, error);
        if (error) Fail("cannot replace", m_target, error);
        m_committed = true;
        SyncDirectory();
    }

private:
    static std::error_code LastError() { return {errno, std::generic_category()}; }

    // Makes the rename itself durable; a failure here leaves a complete file either way.
    void SyncDirectory() const
    {
        const auto directory = m_target.has_parent_path() ? m_target.parent_path() : fs::path(".");
        const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return;
        ::fsync(fd);
        ::close(fd);
    }

    fs::path m_target;
    fs::path m_path;
    int m_fd = -1;
    bool m_committed = false;
};

void ReplaceFile(const fs::path& file, std::string_view content)
{
    if (!file.has_filename()) Fail("no file name in", file);
    std::error_code error;
    // Replacing a symbolic link would cut it off from the file it points to.
    fs::path target = file;
    if (fs::is_symlink(file, error)) {
        const auto resolved = fs::canonical(file, error);
        if (!error) target = resolved;
    }
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), error);
        if (error) Fail("cannot create the directory of", target, error);
    }
    TemporaryFile temporary(target);
    temporary.KeepPermissionsOf(target);
    temporary.Write(content);
    temporary.Commit();
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
        return std::string(LeftCharacters(entry->value, kMaxProfileValueLength));
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
