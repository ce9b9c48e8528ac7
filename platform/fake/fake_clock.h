#pragma once

#include "platform/clock.h"

namespace velmora::platform {

// A clock that moves only when a test moves it. advance() moves all three clocks
// together, as real time does; setLocal() makes the wall clock jump on its own,
// as when the user sets the clock or the machine resumes from suspend.
class FakeClock final : public Clock {
public:
    explicit FakeClock(LocalMillis local = LocalMillis{}, std::uint64_t msSinceBoot = 0)
        : m_local(local), m_msSinceBoot(msSinceBoot) {}

    LocalMillis localNow() const override { return m_local; }
    std::chrono::steady_clock::time_point steadyNow() const override { return m_steady; }
    std::uint64_t msSinceBoot() const override { return m_msSinceBoot; }

    void advance(std::chrono::milliseconds step) {
        m_local += step;
        m_steady += step;
        m_msSinceBoot += static_cast<std::uint64_t>(step.count());
    }
    void setLocal(LocalMillis local) { m_local = local; }
    void setMsSinceBoot(std::uint64_t ms) { m_msSinceBoot = ms; }

private:
    LocalMillis m_local;
    std::chrono::steady_clock::time_point m_steady{};
    std::uint64_t m_msSinceBoot;
};

}  // namespace velmora::platform
