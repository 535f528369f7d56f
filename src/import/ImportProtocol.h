#pragma once

#include "foundation/SafeFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace kalmora {

inline constexpr std::string_view kSeverityError = "Error";
inline constexpr std::string_view kSeverityWarning = "Warning";
inline constexpr std::string_view kHeaderLineParameter = "HEADER_LINE";
// Findings about one import file beyond this many are counted, not written: a file of faulty lines
// must not fill the disk with its protocol.
inline constexpr std::int64_t kMaxProtocolLinesPerFile = 100000;
inline constexpr std::string_view kProtocolHeader =
    "Datei;Krankenanstalt;Abteilung;Satzart;KH-Aufnahmezahl;Geburtsdatum;Aufnahmezeitpunkt;Typ;Parameter;Kommentar";

// The import protocol of one run: a new file with one ";"-separated line per finding, in
// Windows-1252 with CR LF line ends, as the spreadsheets that read it expect. It is written beside
// its name (the name and kBuildingSuffix; only a holder of the system data lock may write one) and
// replaces an existing protocol (or a link of that name, never what it points to) only when it is
// closed; dropped unclosed, it leaves the old protocol as it was. When it cannot be written, what it
// holds so far is kept beside it under a fresh name ("NAME.nicht-gespeichert-JJJJMMTT-HHMMSS.EXT").
// After `maxLinesPerFile` findings about one import file the further ones are only counted; one line
// with their number follows when the next file begins or the protocol is closed.
class ImportProtocol {
public:
    // Throws ImportIoError when the file beside the name can't be made.
    explicit ImportProtocol(const std::filesystem::path& file, std::int64_t maxLinesPerFile = kMaxProtocolLinesPerFile);

    // The name of the file being imported, shown in the first column of every line. Ends the
    // previous file's findings.
    void SetImportFileName(std::string_view importFileName);

    // One finding about the import line or key `recordKey` (its first 43 bytes count; Windows-1252,
    // as in the import file). `severity`, `parameter` and `comment` are the program's own UTF-8 texts.
    // The parameter "HEADER_LINE" writes the header line instead.
    void WriteProtocolLine(std::string_view severity, std::string_view parameter, std::string_view recordKey,
                           std::string_view comment);

    // Ends the current file's findings, writes everything to disk and puts the file in place. Throws
    // ProtocolWriteError when that fails, as every write does; what was written is then kept under a
    // fresh name beside the protocol. Returns the failure to make the placing durable (syncing the
    // folder), empty when there is none: the protocol is in place either way.
    [[nodiscard]] std::error_code Close();

    const std::filesystem::path& Path() const { return m_path; }

    // Whether lines about the current import file were written since SetImportFileName.
    bool HasLinesOfFile() const { return m_linesOfFile > 0; }

private:
    void WriteLine(std::string_view severity, std::string_view parameter, std::string_view recordKey,
                   std::string_view comment);
    void EndImportFile();
    // Keeps what was written under a fresh name, drops the file and throws ProtocolWriteError.
    [[noreturn]] void Fail(const std::string& reason);

    std::filesystem::path m_path;
    std::optional<SafeFile> m_file;
    std::string m_importFileName;  // Windows-1252
    std::int64_t m_maxLinesPerFile;
    std::int64_t m_linesOfFile = 0;
    std::int64_t m_omittedOfFile = 0;
};

}  // namespace kalmora
