#pragma once

#include "platform/clock.h"

namespace velmora::platform {

// The real clocks of a Linux system: CLOCK_REALTIME through localtime_r for the
// wall clock, CLOCK_MONOTONIC for steady time and CLOCK_BOOTTIME for the uptime.
class LinuxClock final : public Clock {
public:
    LocalMillis localNow() const override;
    std::chrono::steady_clock::time_point steadyNow() const override;
    std::uint64_t msSinceBoot() const override;
};

}  // namespace velmora::platform
