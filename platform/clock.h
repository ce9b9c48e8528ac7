#pragma once

#include <chrono>
#include <cstdint>

namespace velmora::platform {

// Local civil time with millisecond resolution: the system clock converted with
// the local time zone and its daylight-saving rule.
using LocalMillis = std::chrono::local_time<std::chrono::milliseconds>;

// What the program asks of the operating system about time. Decision code never
// reads a clock of its own; it is handed one of these, so tests can drive a fake
// whose wall time jumps (a clock set forward, a suspend) while steady time does
// not.
class Clock {
public:
    virtual ~Clock() = default;

    // The wall clock as local civil time. May jump in either direction when the
    // user or a time service sets the clock, or when daylight saving changes.
    virtual LocalMillis localNow() const = 0;

    // Monotonic time: never jumps, does not advance while the machine sleeps.
    virtual std::chrono::steady_clock::time_point steadyNow() const = 0;

    // Milliseconds since the operating system started, counting time spent
    // suspended (like the Windows tick count). Full 64-bit width; callers that
    // need the 32-bit tick count truncate it themselves.
    virtual std::uint64_t msSinceBoot() const = 0;
};

}  // namespace velmora::platform
