#include "import/ImportProtocol.h"

#include "foundation/FailureText.h"
#include "foundation/Windows1252.h"
#include "import/FieldChecks.h"
#include "import/ImportErrors.h"
#include "import/RecordLayout.h"

namespace kalmora {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

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
    const auto fail = [this] {
        throw ImportIoError("In die Protokolldatei " + m_path.string() + " kann nicht geschrieben werden.");
    };
    if (!m_file) fail();  // closed
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

void ImportProtocol::Close()
{
    if (!m_file) return;
    EndImportFile();
    // The protocol is the only record of the run's findings: it must be on disk before the run counts
    // as done.
    try {
        m_file->Commit();
    } catch (const std::filesystem::filesystem_error& error) {
        m_file.reset();
        throw ImportIoError("Die Protokolldatei " + m_path.string() +
                            " kann nicht gespeichert werden: " + GermanErrorText(error.code()));
    }
    m_file.reset();
}

}  // namespace kalmora
