#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// The program keeps text in UTF-8. A path is wide on some systems, and there std::string converts
// through the code page, which cannot hold every name; these convert as UTF-8 everywhere, and on
// Linux keep the bytes as they are.
namespace kalmora {

inline std::filesystem::path PathFromUtf8(std::string_view text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// Whether `path` is a full path: one with its root, or a network share's (\\server\share\... on
// Windows), which not every C++ library there counts as absolute.
inline bool IsFullPath(const std::filesystem::path& path)
{
    if (path.is_absolute()) return true;
    const auto& text = path.native();
    const auto separator = [](auto c) { return c == '/' || c == std::filesystem::path::preferred_separator; };
    return text.size() > 2 && separator(text[0]) && separator(text[1]) && !separator(text[2]);
}

inline std::string Utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace kalmora
