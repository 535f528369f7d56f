#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kalmora::test {

// Writes the bytes as they stand, making the folders on the way.
inline void WriteText(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

inline std::string ReadText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace kalmora::test
