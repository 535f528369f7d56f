#pragma once

namespace kalmora {

// Sets a flag for as long as it lives and then gives it back its former value, on every way out of
// the scope: a window that asks the flag ignores the signals and events its own work sets off.
class ReentryGuard {
public:
    explicit ReentryGuard(bool& flag) : m_flag(flag), m_before(flag) { m_flag = true; }
    ~ReentryGuard() { m_flag = m_before; }

    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;

private:
    bool& m_flag;
    bool m_before;
};

}  // namespace kalmora
