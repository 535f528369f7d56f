// The platform functions that the C++ library gives alike on every system.
#include "foundation/Platform.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace kalmora::platform {

namespace fs = std::filesystem;

std::string ReadFileBytes(const fs::path& file)
{
    const auto failure = [&file](std::errc error) {
        return fs::filesystem_error("read", file, std::make_error_code(error));
    };
    if (OperationFailureSimulated("read", file)) throw failure(std::errc::io_error);
    std::ifstream in(file, std::ios::binary);
    if (!in) throw failure(std::errc::permission_denied);
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) throw failure(std::errc::io_error);
    return content;
}

bool RemoveFile(const fs::path& file)
{
    if (OperationFailureSimulated("remove", file)) {
        throw fs::filesystem_error("remove", file, std::make_error_code(std::errc::io_error));
    }
    return fs::remove(file);
}

}  // namespace kalmora::platform
