#include "import/ImportLineReader.h"

#include "foundation/Platform.h"
#include "import/ImportErrors.h"

#include <algorithm>

namespace kalmora {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

}  // namespace

ImportLineReader::ImportLineReader(const std::filesystem::path& file)
    : m_path(file), m_file(platform::OpenForReading(file)), m_buffer(kBufferSize)
{
    if (!m_file) throw ImportIoError("Die Importdatei " + file.string() + " kann nicht gelesen werden.");
    m_sizeAtOpen = platform::RegularFileSize(m_file.get());
}

bool ImportLineReader::Refill()
{
    m_position = 0;
    m_size = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file.get());
    if (m_size == 0 && std::ferror(m_file.get())) {
        throw ImportIoError("Fehler beim Lesen der Importdatei " + m_path.string() + ".");
    }
    m_bytesRead += m_size;
    if (m_size == 0 && m_sizeAtOpen && *m_sizeAtOpen != m_bytesRead) {
        throw ImportIoError("Die Importdatei " + m_path.string() + " wurde während des Lesens verändert.");
    }
    return m_size > 0;
}

bool ImportLineReader::Next(std::string& line)
{
    line.clear();
    m_cut = false;
    m_skippedOnlyBlanks = true;
    bool any = false;
    for (;;) {
        if (m_position == m_size && !Refill()) return any;
        if (m_skipLineFeed) {
            m_skipLineFeed = false;
            if (m_buffer[m_position] == '\n') {
                ++m_position;
                continue;
            }
        }
        const char* begin = m_buffer.data() + m_position;
        const char* end = m_buffer.data() + m_size;
        const char* stop = begin;
        while (stop != end && *stop != '\r' && *stop != '\n')
            ++stop;
        const std::size_t room = kMaxImportLineBytes - line.size();
        const std::size_t length = static_cast<std::size_t>(stop - begin);
        if (length <= room) {
            line.append(begin, stop);
        } else {
            line.append(begin, room);
            m_cut = true;
            if (m_skippedOnlyBlanks)
                m_skippedOnlyBlanks = std::all_of(begin + room, stop, [](char c) { return c == ' '; });
        }
        any = true;
        m_position = static_cast<std::size_t>(stop - m_buffer.data());
        if (stop != end) {
            m_skipLineFeed = *stop == '\r';
            ++m_position;
            return true;
        }
    }
}

}  // namespace kalmora
