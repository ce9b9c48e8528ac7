#include "schedule/date_time.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>

#include <gtest/gtest.h>

namespace velmora::schedule {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;
using LocalMillis = std::chrono::local_time<milliseconds>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

constexpr double kSecond = 1.0 / 86400;
constexpr double k2024Jan5 = 45296;  // 2024-01-05 00:00:00

// The six parts of a moment as YearOf ... SecondOf read them.
struct Civil {
    int year, month, day, hour, minute, second;
    bool operator==(const Civil&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Civil& c) {
    return os << c.year << '-' << c.month << '-' << c.day << ' ' << c.hour << ':' << c.minute << ':'
              << c.second;
}

Civil CivilOf(DateTime v) {
    return {YearOf(v), MonthOf(v), DayOf(v), HourOf(v), MinuteOf(v), SecondOf(v)};
}

LocalMillis Local(std::chrono::year_month_day date, milliseconds timeOfDay) {
    return LocalMillis{std::chrono::local_days{date}} + timeOfDay;
}

TEST(DateTimeTest, ReadsPartsAndWeekday) {
    const struct {
        double value;
        Civil civil;
        int dayOfWeek;
    } kCases[] = {
        {0, {1899, 12, 30, 0, 0, 0}, 7},  // day 0 is a Saturday
        {1, {1899, 12, 31, 0, 0, 0}, 1},
        {2.75, {1900, 1, 1, 18, 0, 0}, 2},
        // Below 0 the day is the part towards zero, the time the fraction's size.
        {-1.25, {1899, 12, 29, 6, 0, 0}, 6},
        {-0.5, {1899, 12, 30, 12, 0, 0}, 7},
        {-0.00001, {1899, 12, 30, 0, 0, 1}, 7},
        // 1900 is not a leap year, 2000 is.
        {60, {1900, 2, 28, 0, 0, 0}, 4},
        {61, {1900, 3, 1, 0, 0, 0}, 5},
        {36585, {2000, 2, 29, 0, 0, 0}, 3},
        {36586, {2000, 3, 1, 0, 0, 0}, 4},
        {k2024Jan5 + 2, {2024, 1, 7, 0, 0, 0}, 1},
        {k2024Jan5 + 0.5, {2024, 1, 5, 12, 0, 0}, 6},
        // To the nearest second.
        {k2024Jan5 + 86399.4 * kSecond, {2024, 1, 5, 23, 59, 59}, 6},
        {k2024Jan5 + 86399.6 * kSecond, {2024, 1, 6, 0, 0, 0}, 7},
        {k2024Jan5 + 0.4 * kSecond, {2024, 1, 5, 0, 0, 0}, 6},
        // Below 0 the half second lengthens the fraction, so a moment just
        // before midnight moves to the start of the day before: the day number
        // is read after rounding, towards zero.
        {-1.999999, {1899, 12, 28, 0, 0, 0}, 5},
        // The ends of the range, and beyond them.
        {kMinDateTime, {100, 1, 1, 0, 0, 0}, 6},
        {kMaxDateTime, {9999, 12, 31, 0, 0, 0}, 6},
        // Later hours of the first and last day lie outside the range.
        {kMinDateTime - 0.5, {100, 1, 1, 0, 0, 0}, 6},
        {kMaxDateTime + 0.5, {9999, 12, 31, 0, 0, 0}, 6},
        {-1e7, {100, 1, 1, 0, 0, 0}, 6},
        {1e7, {9999, 12, 31, 0, 0, 0}, 6},
        {-kInf, {100, 1, 1, 0, 0, 0}, 6},
        {kInf, {9999, 12, 31, 0, 0, 0}, 6},
        {kNaN, {100, 1, 1, 0, 0, 0}, 6},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value);
        EXPECT_EQ(CivilOf(c.value), c.civil);
        EXPECT_EQ(DayOfWeekOf(c.value), c.dayOfWeek);
    }
}

TEST(DateTimeTest, DateOnlyIsMidnightOfTheRoundedDate) {
    const struct {
        double value;
        double date;
    } kCases[] = {
        {k2024Jan5 + 0.75, k2024Jan5},
        {k2024Jan5 + 86399.4 * kSecond, k2024Jan5},
        {k2024Jan5 + 86399.6 * kSecond, k2024Jan5 + 1},
        {-1.25, -1},
        {-0.5, 0},
        {1e9, kMaxDateTime},
        {-1e9, kMinDateTime},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value);
        EXPECT_EQ(DateOnly(c.value), c.date);
    }
}

TEST(DateTimeTest, MakeDateTimeForcesEachPartIntoRange) {
    const struct {
        Civil given;
        Civil made;
    } kCases[] = {
        {{2024, 1, 5, 9, 5, 7}, {2024, 1, 5, 9, 5, 7}},
        {{2023, 2, 30, 25, 61, -1}, {2023, 2, 28, 23, 59, 0}},
        {{2024, 2, 31, 0, 0, 0}, {2024, 2, 29, 0, 0, 0}},
        {{2023, 13, 0, 24, 60, 60}, {2023, 12, 1, 23, 59, 59}},
        {{1900, 2, 29, 0, 0, 0}, {1900, 2, 28, 0, 0, 0}},
        {{2000, 2, 30, 0, 0, 0}, {2000, 2, 29, 0, 0, 0}},
        {{2024, 4, 31, 0, 0, 0}, {2024, 4, 30, 0, 0, 0}},
        {{99, 1, 1, 0, 0, 0}, {100, 1, 1, 0, 0, 0}},
        {{10000, 12, 31, 0, 0, 0}, {9999, 12, 31, 0, 0, 0}},
        {{kInt32Min, kInt32Min, kInt32Min, kInt32Min, kInt32Min, kInt32Min}, {100, 1, 1, 0, 0, 0}},
        {{1899, 12, 29, 23, 59, 59}, {1899, 12, 29, 23, 59, 59}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "given " << c.given);
        const Civil& g = c.given;
        EXPECT_EQ(CivilOf(MakeDateTime(g.year, g.month, g.day, g.hour, g.minute, g.second)),
                  c.made);
    }
}

TEST(DateTimeTest, MakeDateTimeValues) {
    const struct {
        Civil given;
        double value;
    } kCases[] = {
        {{1899, 12, 30, 0, 0, 0}, 0},
        {{1899, 12, 30, 12, 0, 0}, 0.5},
        {{1899, 12, 29, 6, 0, 0}, -1.25},  // the fraction is subtracted below day 0
        {{1899, 12, 28, 18, 0, 0}, -2.75},
        {{2024, 1, 5, 0, 0, 0}, k2024Jan5},
        {{2024, 1, 5, 18, 0, 0}, k2024Jan5 + 0.75},
        {{100, 1, 1, 0, 0, 0}, kMinDateTime},
        {{9999, 12, 31, 0, 0, 0}, kMaxDateTime},
        // Later on the last day lies beyond kMaxDateTime; MakeDateTime does not
        // clamp, only reading does.
        {{kInt32Max, kInt32Max, kInt32Max, kInt32Max, kInt32Max, kInt32Max},
         kMaxDateTime + 86399.0 / 86400},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "given " << c.given);
        const Civil& g = c.given;
        EXPECT_EQ(MakeDateTime(g.year, g.month, g.day, g.hour, g.minute, g.second), c.value);
    }
}

// Every day of the range, through its parts and back, in order and without gaps.
TEST(DateTimeTest, EveryDayRoundTripsThroughItsParts) {
    Civil previous{};
    int previousWeekday = 0;
    int failures = 0;
    for (int dayNumber = static_cast<int>(kMinDateTime);
         dayNumber <= static_cast<int>(kMaxDateTime) && failures < 5; ++dayNumber) {
        const DateTime v = dayNumber;
        const Civil civil = CivilOf(v);
        const int weekday = DayOfWeekOf(v);
        bool ok = civil.hour == 0 && civil.minute == 0 && civil.second == 0 &&
                  MakeDateTime(civil.year, civil.month, civil.day, 0, 0, 0) == v &&
                  DateOnly(v) == v;
        if (dayNumber != static_cast<int>(kMinDateTime)) {
            const bool nextDay = civil.year == previous.year && civil.month == previous.month &&
                                 civil.day == previous.day + 1;
            const bool nextMonth =
                civil.year == previous.year && civil.month == previous.month + 1 && civil.day == 1;
            const bool nextYear = civil.year == previous.year + 1 && previous.month == 12 &&
                                  previous.day == 31 && civil.month == 1 && civil.day == 1;
            ok = ok && (nextDay || nextMonth || nextYear) && weekday == previousWeekday % 7 + 1;
        }
        if (!ok) {
            ++failures;
            ADD_FAILURE() << "day " << dayNumber << " reads as " << civil << ", weekday " << weekday
                          << ", after " << previous;
        }
        previous = civil;
        previousWeekday = weekday;
    }
    EXPECT_EQ(previous, (Civil{9999, 12, 31, 0, 0, 0}));
}

TEST(DateTimeTest, ClampDateTime) {
    const struct {
        double value;
        double clamped;
    } kCases[] = {
        {0, 0},
        {-1.25, -1.25},
        {kMinDateTime, kMinDateTime},
        {kMinDateTime - 0.5, kMinDateTime},
        {kMaxDateTime + 0.5, kMaxDateTime},
        {-kInf, kMinDateTime},
        {kInf, kMaxDateTime},
        {kNaN, kMinDateTime},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value);
        EXPECT_EQ(ClampDateTime(c.value), c.clamped);
    }
}

TEST(DateTimeTest, LinearDaysAndBack) {
    const struct {
        double value;
        double linear;
    } kCases[] = {
        {0, 0},
        {1.5, 1.5},
        {-1.25, -0.75},
        {-1.75, -0.25},
        {-2, -2},
        {-2.5, -1.5},
        {kMinDateTime, kMinDateTime},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value);
        EXPECT_EQ(LinearDays(c.value), c.linear);
        EXPECT_EQ(FromLinearDays(c.linear), c.value);
    }
    // -0.5 and 0.5 are the same moment; the way back gives the positive form.
    EXPECT_EQ(LinearDays(-0.5), 0.5);
}

TEST(DateTimeTest, LinearDaysAreEvenAcrossDayZero) {
    // One second apart in time is one second apart on the linear count, also
    // where the stored values jump from -0.99999 to 0.
    const struct {
        Civil earlier;
        Civil later;
    } kCases[] = {
        {{1899, 12, 29, 23, 59, 59}, {1899, 12, 30, 0, 0, 0}},
        {{1899, 12, 28, 23, 59, 59}, {1899, 12, 29, 0, 0, 0}},
        {{1899, 12, 29, 0, 0, 0}, {1899, 12, 29, 0, 0, 1}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "from " << c.earlier);
        const Civil& a = c.earlier;
        const Civil& b = c.later;
        const double earlier =
            LinearDays(MakeDateTime(a.year, a.month, a.day, a.hour, a.minute, a.second));
        const double later =
            LinearDays(MakeDateTime(b.year, b.month, b.day, b.hour, b.minute, b.second));
        EXPECT_NEAR((later - earlier) * 86400, 1.0, 1e-6);
    }
}

TEST(DateTimeTest, AddToDateTime) {
    const double jan31Noon = MakeDateTime(2024, 1, 31, 12, 0, 0);
    const struct {
        double value;
        DateTimeUnit unit;
        std::int32_t n;
        Civil result;
    } kCases[] = {
        {jan31Noon, DateTimeUnit::Weeks, 1, {2024, 2, 7, 12, 0, 0}},
        {jan31Noon, DateTimeUnit::Weeks, -5, {2023, 12, 27, 12, 0, 0}},
        {jan31Noon, DateTimeUnit::Seconds, -90, {2024, 1, 31, 11, 58, 30}},
        {jan31Noon, DateTimeUnit::Minutes, 721, {2024, 2, 1, 0, 1, 0}},
        {jan31Noon, DateTimeUnit::Seconds, kInt32Min, {1956, 1, 13, 8, 45, 52}},
        // Across day 0 in both directions.
        {0, DateTimeUnit::Minutes, -360, {1899, 12, 29, 18, 0, 0}},
        {-1.25, DateTimeUnit::Minutes, 720, {1899, 12, 29, 18, 0, 0}},
        {-1.25, DateTimeUnit::Minutes, 1440 + 1, {1899, 12, 30, 6, 1, 0}},
        {-1.25, DateTimeUnit::Weeks, 1, {1900, 1, 5, 6, 0, 0}},
        // The value is clamped before adding.
        {-1e9, DateTimeUnit::Weeks, 1, {100, 1, 8, 0, 0, 0}},
        {1e9, DateTimeUnit::Weeks, -1, {9999, 12, 24, 0, 0, 0}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "value " << c.value << " plus " << c.n << " of unit "
                                        << static_cast<int>(c.unit));
        EXPECT_EQ(CivilOf(AddToDateTime(c.value, c.unit, c.n)), c.result);
    }
}

TEST(DateTimeTest, AddToDateTimeEdges) {
    // Nothing to add: the value comes back bit for bit, not clamped.
    for (const double v : {1e12, -1e12, k2024Jan5 + 0.123456789, kNaN, -0.0}) {
        SCOPED_TRACE(testing::Message() << "value " << v);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(AddToDateTime(v, DateTimeUnit::Seconds, 0)),
                  std::bit_cast<std::uint64_t>(v));
    }
    // The result is not clamped.
    EXPECT_GT(AddToDateTime(1e9, DateTimeUnit::Seconds, 1), kMaxDateTime);
    EXPECT_EQ(AddToDateTime(kMaxDateTime, DateTimeUnit::Weeks, 1), kMaxDateTime + 7);
    // Fractions of a second stay.
    const double withFraction = k2024Jan5 + 0.3 * kSecond;
    EXPECT_NEAR(AddToDateTime(withFraction, DateTimeUnit::Seconds, 1), k2024Jan5 + 1.3 * kSecond,
                1e-10);
}

TEST(DateTimeTest, SameSecond) {
    const double tenOClock = MakeDateTime(2024, 1, 5, 10, 0, 0);
    const struct {
        double a;
        double b;
        bool same;
    } kCases[] = {
        {AddToDateTime(tenOClock, DateTimeUnit::Seconds, -30),
         CurrentDateTime(Local(std::chrono::year{2024} / 1 / 5,
                               hours{9} + minutes{59} + seconds{30} + milliseconds{700})),
         true},
        {tenOClock, AddToDateTime(tenOClock, DateTimeUnit::Seconds, 1), false},
        {tenOClock, tenOClock + 0.4 * kSecond, true},
        {tenOClock, tenOClock + 0.6 * kSecond, false},
        {-1.25, MakeDateTime(1899, 12, 29, 6, 0, 0), true},
        {-0.5, 0.5, true},
        {-1.999999, 0, true},  // on the linear count these are 0.09 s apart
        {-1e7, kMinDateTime, true},
        {1e7, kMaxDateTime, true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.a << " and " << c.b);
        EXPECT_EQ(SameSecond(c.a, c.b), c.same);
        EXPECT_EQ(SameSecond(c.b, c.a), c.same);
    }
}

TEST(DateTimeTest, CurrentDateTimeCutsToTheWholeSecond) {
    using std::chrono::year;
    const struct {
        LocalMillis now;
        Civil civil;
    } kCases[] = {
        {Local(year{2024} / 1 / 5, hours{9} + minutes{59} + milliseconds{30'999}),
         {2024, 1, 5, 9, 59, 30}},
        {Local(year{2024} / 1 / 5, hours{23} + minutes{59} + milliseconds{59'999}),
         {2024, 1, 5, 23, 59, 59}},
        {Local(year{1969} / 12 / 31, hours{23} + minutes{59} + milliseconds{59'999}),
         {1969, 12, 31, 23, 59, 59}},
        {Local(year{1899} / 12 / 29, hours{6} + milliseconds{500}), {1899, 12, 29, 6, 0, 0}},
        {Local(year{50} / 6 / 1, hours{12}), {100, 1, 1, 0, 0, 0}},
        {Local(year{12000} / 6 / 1, hours{12}), {9999, 12, 31, 0, 0, 0}},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "expecting " << c.civil);
        const DateTime now = CurrentDateTime(c.now);
        EXPECT_EQ(CivilOf(now), c.civil);
        const Civil& m = c.civil;
        EXPECT_EQ(now, MakeDateTime(m.year, m.month, m.day, m.hour, m.minute, m.second));
    }
}

TEST(DateTimeTest, TruncToIntKeepsTheLow32Bits) {
    const struct {
        double x;
        std::int32_t result;
    } kCases[] = {
        {2.9, 2},
        {-2.9, -2},
        {-0.0, 0},
        {4294967296.0 + 5, 5},
        {2147483648.0, kInt32Min},
        {-2147483649.0, kInt32Max},
        {4294967295.5, -1},
        {9223372036854774784.0, -1024},  // the largest double below 2^63
        // 2^63 and beyond, infinities and NaN give INT64_MIN, whose low half is 0.
        {9223372036854775808.0, 0},
        {-9223372036854775808.0, 0},
        {1e300, 0},
        {kInf, 0},
        {-kInf, 0},
        {kNaN, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x);
        EXPECT_EQ(TruncToInt(c.x), c.result);
    }
}

TEST(DateTimeTest, FloorToIntRoundsUpOnlyWithinATrillionth) {
    const struct {
        double x;
        std::int32_t result;
    } kCases[] = {
        {0, 0},         {2, 2},         {2.99, 2},         {3 - 1e-13, 3},
        {3 - 5e-12, 2}, {1 - 1e-13, 1}, {1193.0462, 1193},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x);
        EXPECT_EQ(FloorToInt(c.x), c.result);
    }
}

TEST(DateTimeTest, AbsoluteValue) {
    EXPECT_EQ(AbsoluteValue(-2.5), 2.5);
    EXPECT_EQ(AbsoluteValue(2.5), 2.5);
    EXPECT_EQ(AbsoluteValue(-kInf), kInf);
}

}  // namespace
}  // namespace velmora::schedule
