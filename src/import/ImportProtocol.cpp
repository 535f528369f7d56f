#include "import/ImportProtocol.h"

#include "foundation/Platform.h"
#include "foundation/Windows1252.h"
#include "import/FieldChecks.h"
#include "import/ImportErrors.h"
#include "import/RecordLayout.h"

namespace kalmora {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

}  // namespace

ImportProtocol::ImportProtocol(const std::filesystem::path& file) : m_path(file)
{
    m_out.open(file, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!m_out) throw ImportIoError("Die Protokolldatei " + m_path.string() + " kann nicht angelegt werden.");
}

void ImportProtocol::SetImportFileName(std::string_view importFileName)
{
    m_importFileName = EncodeWindows1252(importFileName);
    m_linesOfFile = 0;
}

void ImportProtocol::WriteProtocolLine(std::string_view severity, std::string_view parameter,
                                       std::string_view recordKey, std::string_view comment)
{
    if (parameter == kHeaderLineParameter) {
        m_out << kProtocolHeader << kLineEnd;
    } else {
        const std::string_view key = recordKey.substr(0, kRecordKeyLength);
        m_out << m_importFileName << ';' << FieldAt(key, kKeyFields.Hospital) << ';'
              << FieldAt(key, kKeyFields.Department) << ';' << FieldAt(key, kKeyFields.Kind) << ';'
              << FieldAt(key, kKeyFields.KisId) << ';' << FieldAt(key, kKeyFields.Dob) << ';'
              << FieldAt(key, kKeyFields.AdmDate) << ';' << EncodeWindows1252(severity) << ';'
              << EncodeWindows1252(parameter) << ';' << EncodeWindows1252(comment) << kLineEnd;
        ++m_linesOfFile;
    }
    // The stream is buffered: a failing disk shows here when the buffer goes out, and at the latest in Close.
    if (!m_out) throw ImportIoError("In die Protokolldatei " + m_path.string() + " kann nicht geschrieben werden.");
}

void ImportProtocol::Close()
{
    if (!m_out.is_open()) return;
    const std::string failure = "Die Protokolldatei " + m_path.string() + " kann nicht gespeichert werden.";
    m_out.flush();
    const bool written = static_cast<bool>(m_out);
    m_out.close();
    if (!written || !m_out) throw ImportIoError(failure);

    // The protocol is the only record of the run's findings: it must be on disk before the run counts as done.
    try {
        platform::SyncFile(m_path);
    } catch (const std::filesystem::filesystem_error&) {
        throw ImportIoError(failure);
    }
}

}  // namespace kalmora
