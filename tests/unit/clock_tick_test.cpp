#include "schedule/clock_tick.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/fake/fake_clock.h"
#include "schedule/date_time.h"

namespace velmora::schedule {
namespace {

using namespace std::chrono;
using platform::FakeClock;
using platform::LocalMillis;

LocalMillis At(year_month_day date, hours h, minutes m, seconds s, milliseconds ms = {}) {
    return LocalMillis{local_days{date}.time_since_epoch()} + h + m + s + ms;
}

TEST(UptimeText, FollowsTheWholeHoursAndMinutes) {
    const struct {
        std::uint32_t ms;
        const char* text;
        std::int32_t hours;
    } kCases[] = {
        {0, "0 时 0 分", 0},
        {59'999, "0 时 0 分", 0},
        {60'000, "0 时 1 分", 0},
        {3'599'999, "0 时 59 分", 0},
        {3'600'000, "1 时 0 分", 1},
        {5'025'000, "1 时 23 分", 1},
        {86'399'999, "23 时 59 分", 23},
        {90'000'000, "25 时 0 分", 25},  // hours are never folded into days
        {4'294'967'295u, "1193 时 2 分", 1193},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(UptimeText(c.ms), c.text);
        EXPECT_EQ(UptimeHours(c.ms), c.hours);
    }
}

TEST(UptimeMs, WrapsAtThirtyTwoBits) {
    FakeClock clock;
    clock.setMsSinceBoot(4'294'967'295ull);
    EXPECT_EQ(UptimeMs(clock), 4'294'967'295u);
    clock.advance(milliseconds{1});
    EXPECT_EQ(UptimeMs(clock), 0u);
    clock.advance(milliseconds{3'600'000});
    EXPECT_EQ(UptimeMs(clock), 3'600'000u);
    EXPECT_EQ(ReadClockTick(clock).uptimeText, "1 时 0 分");
}

TEST(BootTime, CountsBackWholeSecondsFromTheLastReading) {
    const DateTime lastReading = MakeDateTime(2024, 5, 1, 8, 0, 0);
    const struct {
        std::uint32_t ms;
        DateTime expected;
    } kCases[] = {
        {0, lastReading},
        {999, lastReading},
        {1000, MakeDateTime(2024, 5, 1, 7, 59, 59)},
        {3'723'456, MakeDateTime(2024, 5, 1, 6, 57, 57)},
        // Just before the wrap the boot lies 49.7 days back; just after, it is
        // the last reading itself again.
        {4'294'967'295u, MakeDateTime(2024, 3, 12, 14, 57, 13)},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.ms);
        EXPECT_TRUE(SameSecond(BootTime(lastReading, c.ms), c.expected))
            << BootTime(lastReading, c.ms) << " vs " << c.expected;
    }
}

TEST(BootTime, BeforeTheFirstTickLiesIn1899) {
    // Never reached once the window is shown (the first tick runs at once), but
    // the arithmetic must stay sound for a zero reading.
    EXPECT_TRUE(SameSecond(BootTime(0.0, 1000), MakeDateTime(1899, 12, 29, 23, 59, 59)));
}

TEST(ReadClockTick, ShowsAndStoresTheCurrentSecond) {
    FakeClock clock(At(2024y / May / 1, 8h, 5min, 9s, 730ms), 5'025'000);
    const ClockTick tick = ReadClockTick(clock);
    EXPECT_EQ(tick.timeText, "2024年5月1日8时5分9秒");
    // Whole seconds: the 730 ms are cut, not rounded up.
    EXPECT_EQ(tick.lastClockReading, MakeDateTime(2024, 5, 1, 8, 5, 9));
    EXPECT_EQ(tick.uptimeText, "1 时 23 分");
}

TEST(DelayToNextSecond, LandsJustAfterTheNextSecondBegins) {
    const struct {
        LocalMillis now;
        milliseconds expected;
    } kCases[] = {
        {At(2024y / May / 1, 8h, 0min, 0s), 1005ms},
        {At(2024y / May / 1, 8h, 0min, 0s, 1ms), 1004ms},
        {At(2024y / May / 1, 8h, 0min, 0s, 996ms), 9ms},
        {At(2024y / May / 1, 8h, 0min, 0s, 999ms), 6ms},
        // Before 1970 the sub-second part is still counted forward.
        {At(1960y / January / 1, 0h, 0min, 0s, 250ms), 755ms},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.expected.count());
        EXPECT_EQ(DelayToNextSecond(c.now, 5ms), c.expected);
    }
}

}  // namespace
}  // namespace velmora::schedule
