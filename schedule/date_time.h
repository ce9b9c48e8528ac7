#pragma once

#include <chrono>
#include <cstdint>

namespace velmora::schedule {

// A moment as a double: the whole part counts days from 1899-12-30 (day 0), the
// fraction is the time of day. Below 0 the whole part (towards zero) is still the
// day and the magnitude of the fraction the time of day: -1.25 is 1899-12-29 06:00.
// Settings files carry moments in this form, so its rules are kept exactly.
using DateTime = double;

// The valid range. Both ends are midnights: later hours of 0100-01-01 lie below
// kMinDateTime and later hours of 9999-12-31 above kMaxDateTime, so the parts
// and texts of both days always read as midnight.
inline constexpr DateTime kMinDateTime = -657434.0;  // 0100-01-01 00:00:00
inline constexpr DateTime kMaxDateTime = 2958465.0;  // 9999-12-31 00:00:00

enum class DateTimeUnit { Weeks, Minutes, Seconds };

// The local civil time given, cut down to the whole second (also before 1970),
// as a DateTime built as MakeDateTime builds it. Callers pass the reading of an
// injected clock (platform::Clock::localNow()). A clock outside the valid range
// gives the nearest end of it.
DateTime CurrentDateTime(std::chrono::local_time<std::chrono::milliseconds> localNow);

// v limited to kMinDateTime ... kMaxDateTime; NaN gives kMinDateTime.
DateTime ClampDateTime(DateTime v);

// A day count in which equal distances are equal durations (used for comparing and
// adding), and back. For v >= 0 both are the identity; -1.25 <-> -0.75.
double LinearDays(DateTime v);
DateTime FromLinearDays(double x);

// True when both moments, clamped, round to the same second on the linear day
// count. -0.5 and 0.5 (both 1899-12-30 12:00) are the same second.
bool SameSecond(DateTime a, DateTime b);

// Parts of a moment. The value is clamped, then moved to the nearest second, so
// 23:59:59.6 on 5 January reads as 00:00:00 on 6 January. Below day 0 the half
// second is taken away from the stored value and the day read after that, so a
// moment within half a second of midnight, like -1.999999, reads as 00:00:00 of
// the day before its own (1899-12-28), not of the day after.
std::int32_t YearOf(DateTime v);
std::int32_t MonthOf(DateTime v);      // 1-12
std::int32_t DayOf(DateTime v);        // 1-31
std::int32_t HourOf(DateTime v);       // 0-23
std::int32_t MinuteOf(DateTime v);     // 0-59
std::int32_t SecondOf(DateTime v);     // 0-59
std::int32_t DayOfWeekOf(DateTime v);  // 1 = Sunday ... 7 = Saturday

// 00:00:00 of the date that YearOf, MonthOf and DayOf give.
DateTime DateOnly(DateTime v);

// Each part is forced into its range on its own (year 100-9999, month 1-12, day
// 1-31, hour 0-23, minute and second 0-59, no carry), then the day is lowered to
// the month's length: (2023, 2, 30, 25, 61, -1) gives 2023-02-28 23:59:00.
DateTime MakeDateTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                      std::int32_t minute, std::int32_t second);

// v plus n units on the linear day count. n == 0 returns v bit for bit, not even
// clamped; otherwise v is clamped first and the result is not. Fractions of a
// second in v stay. 2024-01-31 12:00:00 minus 90 Seconds is 11:58:30.
DateTime AddToDateTime(DateTime v, DateTimeUnit unit, std::int32_t n);

// x truncated towards zero to 64 bits (a magnitude of 2^63 or more, or NaN, gives
// INT64_MIN), then its low 32 bits as a signed integer: 2^32 + 5 gives 5.
std::int32_t TruncToInt(double x);

// For x >= 0: the whole part, plus 1 when the fraction exceeds 0.999999999999
// (a value within a trillionth below 3 gives 3, 2.99 gives 2). The result is cut
// to 32 bits as TruncToInt does.
std::int32_t FloorToInt(double x);

double AbsoluteValue(double x);

}  // namespace velmora::schedule
