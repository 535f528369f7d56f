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

inline std::string Utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace kalmora
