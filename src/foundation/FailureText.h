#pragma once

#include <exception>
#include <string>
#include <system_error>

namespace kalmora {

// A system error in German, for the causes a user or the hospital IT can act on; any other by its
// number.
std::string GermanErrorText(const std::error_code& code);

// The reason of a failure as the user reads it, in German: the program's own texts as they stand, a
// file system error as its file and a German cause.
std::string GermanReason(const std::exception& failure);

}  // namespace kalmora
