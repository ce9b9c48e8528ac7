#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "schedule/date_time.h"

namespace velmora::schedule {

// The uptime as the 32-bit millisecond tick count: it returns to 0 after
// 4 294 967 295 ms (about 49.7 days), and everything derived from it follows.
std::uint32_t UptimeMs(const platform::Clock& clock);

// Whole hours of uptime: FloorToInt(uptimeMs / 3 600 000.0).
std::int32_t UptimeHours(std::uint32_t uptimeMs);

// "H 时 M 分" with the hours not folded into days: 4 294 967 295 ms gives
// "1193 时 2 分".
std::string UptimeText(std::uint32_t uptimeMs);

// When the system started, in whole seconds, counted back from lastClockReading:
// the milliseconds of the uptime are dropped, so 999 ms gives lastClockReading
// itself and 1000 ms one second before it.
DateTime BootTime(DateTime lastClockReading, std::uint32_t uptimeMs);

// What one tick of the one-second clock shows and stores.
struct ClockTick {
    std::string timeText;      // DateTimeToText of the current moment
    DateTime lastClockReading; // the moment read for the arming computations
    std::string uptimeText;    // UptimeText of the tick count
};

// One tick: the time label's text, then a fresh reading for LastClockReading,
// then the uptime label's text.
ClockTick ReadClockTick(const platform::Clock& clock);

// How long to wait so that the next tick lands just after the next wall-clock
// second begins: the labels then change within a few milliseconds of the second,
// and a late tick never shows a time a second old. Always in (0, 1000 + slack].
std::chrono::milliseconds DelayToNextSecond(platform::LocalMillis localNow,
                                            std::chrono::milliseconds slack);

}  // namespace velmora::schedule
