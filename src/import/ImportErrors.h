#pragma once

#include <stdexcept>
#include <string>

namespace kalmora {

// A file of the import that cannot be read or written (import file, protocol, working copy).
class ImportIoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kalmora
