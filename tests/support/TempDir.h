#pragma once

#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace kalmora::test {

// A fresh directory for one test, removed with everything in it when the test ends.
class TempDir {
public:
    TempDir() : TempDir(std::filesystem::temp_directory_path()) {}
    // In another folder than the system's temporary one (one in memory, say).
    explicit TempDir(const std::filesystem::path& base)
    {
        static std::atomic<unsigned> counter{0};
        std::random_device random;
        for (;;) {
            m_path = base / ("kalmora-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
            if (std::filesystem::create_directory(m_path)) break;
        }
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

}  // namespace kalmora::test
