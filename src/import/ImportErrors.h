#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>

namespace kalmora {

// A file of the import that cannot be read or written (import file, protocol, working copy).
class ImportIoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The protocol could not be written. What it held so far was kept under `KeptAs` (empty when even
// that failed), so that the findings about the files stored before are not lost.
class ProtocolWriteError : public ImportIoError {
public:
    ProtocolWriteError(const std::string& reason, std::filesystem::path keptAs)
        : ImportIoError(reason), KeptAs(std::move(keptAs))
    {}
    std::filesystem::path KeptAs;
};

}  // namespace kalmora
