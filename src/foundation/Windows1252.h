#pragma once

#include <string>
#include <string_view>

namespace kalmora {

// Import files and the import protocol are single-byte Windows-1252 text; the program works in UTF-8.

// Bytes of Windows-1252 text as UTF-8. The five unassigned bytes map to the control characters of
// the same number, so no byte is lost.
std::string DecodeWindows1252(std::string_view bytes);

// UTF-8 text as Windows-1252 bytes; a character without a Windows-1252 byte becomes "?".
std::string EncodeWindows1252(std::string_view utf8);

}  // namespace kalmora
