#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

// What every fuzz target needs: a broken invariant that stops the fuzzer, and a place for its files.
namespace kalmora::fuzz {

// Aborts, so that libFuzzer keeps the input as a finding.
[[noreturn]] inline void Fail(const std::string& what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

inline void Check(bool holds, const std::string& what)
{
    if (!holds) Fail(what);
}

// Fails with every broken invariant an oracle reported.
inline void FailOnFindings(const std::vector<std::string>& findings)
{
    if (findings.empty()) return;
    for (const auto& finding : findings)
        std::fprintf(stderr, "invariant broken: %s\n", finding.c_str());
    std::abort();
}

// Where a session keeps its files: in memory when it can, as every input writes files and an
// import forces every file it finishes to disk.
inline std::filesystem::path ScratchBase()
{
    const char* shm = "/dev/shm";
    std::error_code error;
    if (std::filesystem::is_directory(shm, error) && access(shm, W_OK) == 0) return shm;
    return std::filesystem::temp_directory_path();
}

}  // namespace kalmora::fuzz
