#include "schedule/clock_tick.h"

#include "schedule/texts.h"

namespace velmora::schedule {

std::uint32_t UptimeMs(const platform::Clock& clock) {
    return static_cast<std::uint32_t>(clock.msSinceBoot());
}

std::int32_t UptimeHours(std::uint32_t uptimeMs) {
    return FloorToInt(uptimeMs / 3'600'000.0);
}

std::string UptimeText(std::uint32_t uptimeMs) {
    const double hoursExact = uptimeMs / 3'600'000.0;
    const std::int32_t hours = FloorToInt(hoursExact);
    const std::int32_t minutes = FloorToInt(AbsoluteValue((hoursExact - hours) * 60.0));
    return JoinTexts(IntToText(hours), " 时 ", IntToText(minutes), " 分");
}

DateTime BootTime(DateTime lastClockReading, std::uint32_t uptimeMs) {
    const std::int32_t back = TruncToInt(-(uptimeMs / 1000.0));
    return AddToDateTime(lastClockReading, DateTimeUnit::Seconds, back);
}

ClockTick ReadClockTick(const platform::Clock& clock) {
    ClockTick tick;
    tick.timeText = DateTimeToText(CurrentDateTime(clock.localNow()));
    tick.lastClockReading = CurrentDateTime(clock.localNow());
    tick.uptimeText = UptimeText(UptimeMs(clock));
    return tick;
}

std::chrono::milliseconds DelayToNextSecond(platform::LocalMillis localNow,
                                            std::chrono::milliseconds slack) {
    using std::chrono::milliseconds;
    // Floor, not truncation: a local time before the epoch still has a positive
    // sub-second part.
    const auto intoSecond =
        localNow - std::chrono::floor<std::chrono::seconds>(localNow);
    return milliseconds{1000} - intoSecond + slack;
}

}  // namespace velmora::schedule
