#pragma once

#include "storage/Schema.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// The scratch databases (and their journals) left in `directory`.
inline std::vector<std::string> ScratchDatabasesIn(const std::filesystem::path& directory)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(kScratchDatabasePrefix)) found.push_back(name);
    }
    return found;
}

}  // namespace kalmora::test
