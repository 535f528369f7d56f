#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace kalmora {

inline constexpr std::string_view kDiagnosticLogFile = "kalmora.log";
// Past this size the log moves aside to "kalmora.log.1" (replacing an older one), so the two files
// together stay below twice the limit.
inline constexpr std::uintmax_t kDiagnosticLogLimit = 256 * 1024;

// Appends one line to the diagnostic log in `directory`: the local time, what failed and why, for
// the hospital IT where the program shows only a fixed text. Callers name files, never patient
// data. Writes nothing where `directory` is empty or relative. Never throws: a log that cannot be
// written must not turn one reported failure into another.
void WriteDiagnostic(const std::filesystem::path& directory, std::string_view what, std::string_view reason,
                     std::uintmax_t limit = kDiagnosticLogLimit) noexcept;

}  // namespace kalmora
