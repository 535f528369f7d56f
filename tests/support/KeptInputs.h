#pragma once

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace kalmora::test {

// The inputs kept from fuzzing one target (its findings and the hand-made variants of its seeds),
// in name order: tests/data/fuzz/<target>/.
inline std::vector<std::filesystem::path> KeptFuzzInputs(const std::string& target)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(KALMORA_TEST_DATA_DIR) / "fuzz" / target)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A test name from a kept input's file name: letters and digits, the rest as "_".
inline std::string KeptInputTestName(const std::filesystem::path& file)
{
    std::string name = file.stem().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

}  // namespace kalmora::test
