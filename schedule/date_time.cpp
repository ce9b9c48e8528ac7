#include "schedule/date_time.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora::schedule {

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr sys_days kDayZero = sys_days{std::chrono::year{1899} / 12 / 30};
constexpr double kSecondsPerDay = 86400.0;

// Half a second in days, for moving a moment to its nearest second.
constexpr double kHalfSecond = 1.0 / 172800.0;

// A clamped moment moved to its nearest second, as a calendar date and the
// seconds of that day.
struct SplitMoment {
    std::int32_t dayNumber;  // kMinDateTime ... kMaxDateTime
    year_month_day date;
    std::int32_t secondsOfDay;  // 0 ... 86399
};

SplitMoment Split(DateTime v) {
    v = ClampDateTime(v);
    // Subtracting for 0 and below lengthens the fraction, which is the time of
    // day there too; the day number itself stays the part towards zero.
    const double r = v > 0 ? v + kHalfSecond : v - kHalfSecond;
    const double whole = std::trunc(r);
    const double magnitude = std::fabs(r);
    // The fraction is exact and at most 1 - 2^-53, whose product with 86400
    // still rounds to below 86400.
    const auto seconds =
        static_cast<std::int32_t>((magnitude - std::floor(magnitude)) * kSecondsPerDay);

    SplitMoment split;
    // r lies within half a second of the clamped range, so the day fits.
    split.dayNumber = static_cast<std::int32_t>(whole);
    split.date = year_month_day{kDayZero + days{split.dayNumber}};
    split.secondsOfDay = seconds;
    return split;
}

// The low 32 bits of a 64-bit integer, as a signed integer.
std::int32_t Low32Bits(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace

DateTime CurrentDateTime(std::chrono::local_time<std::chrono::milliseconds> localNow) {
    using std::chrono::local_days;
    using std::chrono::local_time;
    using std::chrono::seconds;

    // A clock outside the valid range is held at its nearest end, which also
    // keeps the calendar conversion below within its range.
    constexpr local_time<seconds> kFirst{
        (kDayZero + days{static_cast<int>(kMinDateTime)}).time_since_epoch()};
    constexpr local_time<seconds> kLast{
        (kDayZero + days{static_cast<int>(kMaxDateTime)}).time_since_epoch()};
    const local_time<seconds> now =
        std::clamp(std::chrono::floor<seconds>(localNow), kFirst, kLast);

    const local_days day = std::chrono::floor<days>(now);
    const year_month_day date{day};
    const std::chrono::hh_mm_ss time{now - day};
    return MakeDateTime(static_cast<int>(date.year()), static_cast<int>(unsigned{date.month()}),
                        static_cast<int>(unsigned{date.day()}),
                        static_cast<std::int32_t>(time.hours().count()),
                        static_cast<std::int32_t>(time.minutes().count()),
                        static_cast<std::int32_t>(time.seconds().count()));
}

DateTime ClampDateTime(DateTime v) {
    if (std::isnan(v) || v < kMinDateTime) {
        return kMinDateTime;
    }
    if (v > kMaxDateTime) {
        return kMaxDateTime;
    }
    return v;
}

double LinearDays(DateTime v) {
    if (v >= 0) {
        return v;
    }
    const double t = std::trunc(v);
    return 2 * t - v;
}

DateTime FromLinearDays(double x) {
    if (x >= 0) {
        return x;
    }
    const double f = std::floor(x);
    return f + (f - x);
}

bool SameSecond(DateTime a, DateTime b) {
    return std::round(LinearDays(ClampDateTime(a)) * kSecondsPerDay) ==
           std::round(LinearDays(ClampDateTime(b)) * kSecondsPerDay);
}

std::int32_t YearOf(DateTime v) {
    return static_cast<int>(Split(v).date.year());
}

std::int32_t MonthOf(DateTime v) {
    return static_cast<std::int32_t>(unsigned{Split(v).date.month()});
}

std::int32_t DayOf(DateTime v) {
    return static_cast<std::int32_t>(unsigned{Split(v).date.day()});
}

std::int32_t HourOf(DateTime v) {
    return Split(v).secondsOfDay / 3600;
}

std::int32_t MinuteOf(DateTime v) {
    return Split(v).secondsOfDay / 60 % 60;
}

std::int32_t SecondOf(DateTime v) {
    return Split(v).secondsOfDay % 60;
}

std::int32_t DayOfWeekOf(DateTime v) {
    const std::chrono::weekday weekday{sys_days{Split(v).date}};
    return static_cast<std::int32_t>(weekday.c_encoding()) + 1;
}

DateTime DateOnly(DateTime v) {
    return Split(v).dayNumber;
}

DateTime MakeDateTime(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                      std::int32_t minute, std::int32_t second) {
    using std::chrono::last;
    const std::chrono::year y{std::clamp(year, 100, 9999)};
    const std::chrono::month m{static_cast<unsigned>(std::clamp(month, 1, 12))};
    const std::chrono::day lastDay = (y / m / last).day();
    const std::chrono::day d =
        std::min(std::chrono::day{static_cast<unsigned>(std::clamp(day, 1, 31))}, lastDay);

    const double dayNumber = static_cast<double>((sys_days{y / m / d} - kDayZero).count());
    const double fraction = (std::clamp(hour, 0, 23) * 3600 + std::clamp(minute, 0, 59) * 60 +
                             std::clamp(second, 0, 59)) /
                            kSecondsPerDay;
    return dayNumber >= 0 ? dayNumber + fraction : dayNumber - fraction;
}

DateTime AddToDateTime(DateTime v, DateTimeUnit unit, std::int32_t n) {
    if (n == 0) {
        return v;
    }
    const double count = std::abs(static_cast<double>(n));
    double length = 0;
    switch (unit) {
        case DateTimeUnit::Weeks:
            length = 7 * count;
            break;
        case DateTimeUnit::Minutes:
            length = count / 1440;
            break;
        case DateTimeUnit::Seconds:
            length = count / kSecondsPerDay;
            break;
    }
    const double linear = LinearDays(ClampDateTime(v));
    return FromLinearDays(n > 0 ? linear + length : linear - length);
}

std::int32_t TruncToInt(double x) {
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (std::isnan(x) || std::fabs(x) >= kTwoTo63) {
        return Low32Bits(std::numeric_limits<std::int64_t>::min());
    }
    return Low32Bits(static_cast<std::int64_t>(x));
}

std::int32_t FloorToInt(double x) {
    const double whole = std::floor(x);
    const double rounded = x - whole > 0.999999999999 ? whole + 1 : whole;
    return TruncToInt(rounded);
}

double AbsoluteValue(double x) {
    return x < 0 ? -x : x;
}

}  // namespace velmora::schedule
