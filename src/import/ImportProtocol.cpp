#include "import/ImportProtocol.h"

#include "foundation/FailureText.h"
#include "foundation/Platform.h"
#include "foundation/Utf8Path.h"
#include "foundation/Windows1252.h"
#include "import/FieldChecks.h"
#include "import/ImportErrors.h"
#include "import/RecordLayout.h"
#include "storage/FileSafety.h"

#include <array>
#include <ctime>

namespace kalmora {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Moves what was written at `written` beside the protocol `protocol`, under a name no run gives its
// protocol: "protocol.nicht-gespeichert-20261211-120000.dat". Empty when that fails too.
std::filesystem::path KeepUnderFreshName(const std::filesystem::path& written, const std::filesystem::path& protocol)
{
    const std::tm now = platform::LocalTime(std::time(nullptr));
    std::array<char, 32> stamp{};
    std::strftime(stamp.data(), stamp.size(), "%Y%m%d-%H%M%S", &now);
    for (int attempt = 1; attempt < 100; ++attempt) {
        auto kept = protocol;
        kept.replace_filename(Utf8Of(protocol.stem()) + ".nicht-gespeichert-" + stamp.data() +
                              (attempt > 1 ? "-" + std::to_string(attempt) : std::string()) +
                              Utf8Of(protocol.extension()));
        if (EntryExists(kept)) continue;
        try {
            platform::RenameReplacing(written, kept);
            return kept;
        } catch (const std::filesystem::filesystem_error&) {
            return {};
        }
    }
    return {};
}

}  // namespace

ImportProtocol::ImportProtocol(const std::filesystem::path& file, std::int64_t maxLinesPerFile)
    : m_path(file), m_maxLinesPerFile(maxLinesPerFile)
{
    try {
        // Written under the system data lock: a fixed name beside the protocol, which the next import
        // clears, rather than a hidden one that a killed run would leave with its findings for good.
        m_file.emplace(file, SafeFile::Sibling::Fixed);
        m_file->Stream();
    } catch (const std::filesystem::filesystem_error& error) {
        throw ImportIoError("Die Protokolldatei " + m_path.string() +
                            " kann nicht angelegt werden: " + GermanErrorText(error.code()));
    }
}

void ImportProtocol::SetImportFileName(std::string_view importFileName)
{
    EndImportFile();
    m_importFileName = EncodeWindows1252(importFileName);
    m_linesOfFile = 0;
}

void ImportProtocol::EndImportFile()
{
    if (m_omittedOfFile == 0) return;
    const std::int64_t omitted = m_omittedOfFile;
    m_omittedOfFile = 0;
    WriteLine(kSeverityWarning, "Datei", "",
              std::to_string(omitted) +
                  (omitted == 1 ? " weiterer Befund nicht protokolliert" : " weitere Befunde nicht protokolliert") +
                  " (höchstens " + std::to_string(m_maxLinesPerFile) + " je Datei)");
}

void ImportProtocol::WriteProtocolLine(std::string_view severity, std::string_view parameter,
                                       std::string_view recordKey, std::string_view comment)
{
    if (parameter != kHeaderLineParameter && m_file && m_linesOfFile >= m_maxLinesPerFile) {
        ++m_omittedOfFile;
        return;
    }
    WriteLine(severity, parameter, recordKey, comment);
}

void ImportProtocol::WriteLine(std::string_view severity, std::string_view parameter, std::string_view recordKey,
                               std::string_view comment)
{
    const auto fail = [this] { Fail("In die Protokolldatei " + m_path.string() + " kann nicht geschrieben werden."); };
    if (!m_file) {
        throw ProtocolWriteError("Die Protokolldatei " + m_path.string() + " ist schon geschlossen.", {});
    }
    std::ostream& out = m_file->Stream();
    if (parameter == kHeaderLineParameter) {
        out << kProtocolHeader << kLineEnd;
    } else {
        const std::string_view key = recordKey.substr(0, kRecordKeyLength);
        out << m_importFileName << ';' << FieldAt(key, kKeyFields.Hospital) << ';'
            << FieldAt(key, kKeyFields.Department) << ';' << FieldAt(key, kKeyFields.Kind) << ';'
            << FieldAt(key, kKeyFields.KisId) << ';' << FieldAt(key, kKeyFields.Dob) << ';'
            << FieldAt(key, kKeyFields.AdmDate) << ';' << EncodeWindows1252(severity) << ';'
            << EncodeWindows1252(parameter) << ';' << EncodeWindows1252(comment) << kLineEnd;
        ++m_linesOfFile;
    }
    // The stream is buffered: a failing disk shows here when the buffer goes out, and at the latest in Close.
    if (!out) fail();
}

std::error_code ImportProtocol::Close()
{
    if (!m_file) return {};
    EndImportFile();
    // The protocol is the only record of the run's findings: it must be on disk before the run counts
    // as done.
    std::error_code syncFailure;
    try {
        syncFailure = m_file->Commit();
    } catch (const std::filesystem::filesystem_error& error) {
        Fail("Die Protokolldatei " + m_path.string() +
             " kann nicht gespeichert werden: " + GermanErrorText(error.code()));
    }
    m_file.reset();
    return syncFailure;
}

void ImportProtocol::Fail(const std::string& reason)
{
    std::filesystem::path keptAs;
    if (m_file) {
        // Whatever reached the file is kept.
        m_file->CloseStream();
        keptAs = KeepUnderFreshName(m_file->Path(), m_path);
        m_file.reset();
    }
    throw ProtocolWriteError(reason, keptAs);
}

}  // namespace kalmora
