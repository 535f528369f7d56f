#include "foundation/DiagnosticLog.h"

#include "foundation/Platform.h"
#include "foundation/Utf8Path.h"

#include <array>
#include <ctime>
#include <fstream>
#include <string>
#include <system_error>

namespace kalmora {

namespace {

// One line per entry, whatever the reason holds.
std::string OneLine(std::string_view text)
{
    std::string line(text);
    for (char& c : line) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return line;
}

std::string LocalTimeText()
{
    const std::tm local = platform::LocalTime(std::time(nullptr));
    std::array<char, 32> text{};
    const auto length = std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text.data(), length);
}

}  // namespace

void WriteDiagnostic(const std::filesystem::path& directory, std::string_view what, std::string_view reason,
                     std::uintmax_t limit) noexcept
{
    // A folder that is not known in full (a setting that could not be read) is no place for a log.
    if (directory.empty() || !IsFullPath(directory)) return;
    try {
        const auto log = directory / kDiagnosticLogFile;
        std::error_code error;
        if (std::filesystem::file_size(log, error) >= limit && !error) {
            auto older = log;
            older += ".1";
            std::filesystem::rename(log, older, error);
        }
        const bool created = !std::filesystem::exists(log, error);
        std::ofstream out(log, std::ios::binary | std::ios::app);
        if (created) platform::ShareWithGroup(log);
        out << LocalTimeText() << ';' << OneLine(what) << ';' << OneLine(reason) << '\n';
    } catch (...) {
        // Nothing to be done: the failure itself has been reported to the user.
    }
}

}  // namespace kalmora
