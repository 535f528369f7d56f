#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kalmora {

// Reads an import file line by line as raw bytes. A line ends at CR, CR LF or a lone LF (files
// made on Unix systems); the terminator is not part of the line. Memory does not grow with the file.
class ImportLineReader {
public:
    // Throws ImportIoError when the file cannot be opened.
    explicit ImportLineReader(const std::filesystem::path& file);

    // The next line, or false at the end of the file. Throws ImportIoError on a read error, and at
    // the end when the file did not hold what it held when it was opened (it was cut short or grew
    // while it was read): the lines read so far are not the whole file.
    bool Next(std::string& line);

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
    std::optional<std::uintmax_t> m_sizeAtOpen;  // regular files only
    std::uintmax_t m_bytesRead = 0;
};

}  // namespace kalmora
