#pragma once

// What only POSIX systems have (permission bits, the superuser, file size limits, fork): tests of it
// stand in `#ifndef _WIN32` and are reported as skipped on Windows, with the reason, by this macro.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#define KALMORA_SKIPPED_ON_WINDOWS(suite, name, reason)                                                                \
    TEST(suite, name)                                                                                                  \
    {                                                                                                                  \
        GTEST_SKIP() << "not on Windows: " << (reason);                                                                \
    }

// Skips the rest of a test on Windows, for the reason given.
#ifdef _WIN32
#define KALMORA_POSIX_ONLY(reason) GTEST_SKIP() << "not on Windows: " << (reason)
#else
#define KALMORA_POSIX_ONLY(reason) static_cast<void>(0)
#endif

// Makes `link` a symbolic link to `target`. Windows lets only privileged users make one (and the
// C++ library there makes none), so the rest of the test is skipped there.
#ifdef _WIN32
#define KALMORA_SYMLINK_OR_SKIP(target, link)                                                                          \
    GTEST_SKIP() << "not on Windows: making a symbolic link needs a privilege there"
#else
#define KALMORA_SYMLINK_OR_SKIP(target, link) std::filesystem::create_symlink(target, link)
#endif

namespace kalmora::test {

// A device a file name may stand for. Windows has none that is a file of a folder: its devices (NUL,
// CON) are names reserved in every folder.
#ifdef _WIN32
inline const std::vector<std::filesystem::path> kDevices = {};
#else
inline const std::vector<std::filesystem::path> kDevices = {"/dev/null"};
#endif

// A folder name with quotes, as far as the system allows them (Windows refuses '"').
#ifdef _WIN32
inline constexpr const char* kQuotedFolder = "O'Brien's 'data'";
#else
inline constexpr const char* kQuotedFolder = "O'Brien's \"data\"";
#endif

// Whether permission bits keep this test out of a file: not for the superuser, who reads and writes
// anything, and not on Windows, where access rights are lists that a file inherits from its folder.
inline bool PermissionBitsApply()
{
#ifdef _WIN32
    return false;
#else
    return ::geteuid() != 0;
#endif
}

}  // namespace kalmora::test
