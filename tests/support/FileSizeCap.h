#pragma once

// POSIX only: Windows has no limit of the size of the files a process writes.
#ifndef _WIN32

#include <csignal>

#include <sys/resource.h>

namespace kalmora::test {

// Caps the size of every file this process writes, as a full disk would: a write beyond the cap
// fails (EFBIG) instead of raising SIGXFSZ.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes)
    {
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        const rlimit cap{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~FileSizeCap()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_signal);
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;

private:
    rlimit m_saved{};
    void (*m_signal)(int) = nullptr;
};

}  // namespace kalmora::test

#endif
