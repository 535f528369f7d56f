#pragma once

#include <string_view>

namespace kalmora {

// The program's numeric reading of a text, independent of the locale: blanks, tabs and line feeds
// are skipped anywhere; then an optional sign, digits, an optional "." with digits and an optional
// exponent ("E" or "D") are read up to the first character that cannot continue the number
// (a "," is such a character). A text without a leading number reads as 0.
double Val(std::string_view text);

}  // namespace kalmora
