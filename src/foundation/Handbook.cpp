#include "foundation/Handbook.h"

#include <system_error>

namespace kalmora {

std::optional<std::filesystem::path> FindHandbook(const std::filesystem::path& programDirectory)
{
    for (const auto& candidate : {programDirectory / ".." / "share" / "doc" / "kalmora" / "handbuch.html",
                                  programDirectory / ".." / "docs" / "handbuch.html"}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate.lexically_normal();
    }
    return std::nullopt;
}

}  // namespace kalmora
