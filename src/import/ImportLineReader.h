#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kalmora {

// The bytes of a line that are kept; far beyond the longest record (87 characters). The rest of a
// longer line is never read by a record, so it is skipped: a file of one huge line takes no memory.
inline constexpr std::size_t kMaxImportLineBytes = 4096;

// Reads an import file line by line as raw bytes. A line ends at CR, CR LF or a lone LF (files
// made on Unix systems); the terminator is not part of the line. Memory grows neither with the
// file nor with its lines.
class ImportLineReader {
public:
    // Throws ImportIoError when the file cannot be opened.
    explicit ImportLineReader(const std::filesystem::path& file);

    // The next line, or false at the end of the file. Throws ImportIoError on a read error, and at
    // the end when the file did not hold what it held when it was opened (it was cut short or grew
    // while it was read): the lines read so far are not the whole file.
    // A line longer than kMaxImportLineBytes gives only its first kMaxImportLineBytes bytes.
    bool Next(std::string& line);

    // Whether the last line was cut, and whether the part skipped held only blanks: a line that is
    // blank up to the cut but not after it is not an empty line.
    bool LastLineCut() const { return m_cut; }
    bool SkippedOnlyBlanks() const { return m_skippedOnlyBlanks; }

private:
    bool Refill();

    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::filesystem::path m_path;
    std::unique_ptr<std::FILE, Closer> m_file;
    std::vector<char> m_buffer;
    std::size_t m_position = 0;
    std::size_t m_size = 0;
    bool m_skipLineFeed = false;
    bool m_cut = false;
    bool m_skippedOnlyBlanks = true;
    std::optional<std::uintmax_t> m_sizeAtOpen;  // regular files only
    std::uintmax_t m_bytesRead = 0;
};

}  // namespace kalmora
