#include "calendar/lunar_date.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <set>
#include <string>

#include "calendar/lunar_tables.h"
#include "test_dates.h"

namespace velmora::calendar {

void PrintTo(const LunarDate& d, std::ostream* os) {
    *os << d.year << "-" << (d.leap ? "leap " : "") << d.month << "-" << d.day;
}

namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;
using testing_dates::DateText;
using testing_dates::Ymd;

TEST(SolarToLunar, KnownDates) {
    // clang-format off
    const struct {
        year_month_day date;
        LunarDate lunar;
    } kCases[] = {
        {Ymd(1901, 2, 19),  {1901, 1, false, 1}},    // first day of the range
        {Ymd(1902, 2, 7),   {1901, 12, false, 29}},  // last day of lunar 1901
        {Ymd(1902, 2, 8),   {1902, 1, false, 1}},
        {Ymd(2017, 7, 22),  {2017, 6, false, 29}},
        {Ymd(2017, 7, 23),  {2017, 6, true, 1}},     // leap month in mid-year
        {Ymd(2018, 2, 15),  {2017, 12, false, 30}},  // lunar 2017 has 384 days
        {Ymd(2018, 2, 16),  {2018, 1, false, 1}},
        {Ymd(2018, 5, 1),   {2018, 3, false, 16}},
        {Ymd(2020, 5, 22),  {2020, 4, false, 30}},
        {Ymd(2020, 5, 23),  {2020, 4, true, 1}},
        {Ymd(2020, 6, 20),  {2020, 4, true, 29}},    // a 29-day leap month
        {Ymd(2020, 6, 21),  {2020, 5, false, 1}},
        {Ymd(2023, 3, 22),  {2023, 2, true, 1}},
        {Ymd(2033, 12, 22), {2033, 11, true, 1}},    // leap month late in the year
        {Ymd(2034, 1, 19),  {2033, 11, true, 29}},
        {Ymd(2034, 1, 20),  {2033, 12, false, 1}},
        {Ymd(2048, 12, 31), {2048, 11, false, 27}},  // last day of the range
    };
    // clang-format on
    for (const auto& c : kCases) {
        SCOPED_TRACE(DateText(c.date));
        const auto lunar = SolarToLunar(c.date);
        ASSERT_TRUE(lunar.has_value());
        EXPECT_EQ(*lunar, c.lunar);
    }
}

TEST(SolarToLunar, DatesOutsideTheRangeGiveNothing) {
    // clang-format off
    const year_month_day kCases[] = {
        Ymd(1901, 2, 18), Ymd(2049, 1, 1), Ymd(1900, 1, 1),
        Ymd(100, 1, 1), Ymd(9999, 12, 31), Ymd(-32767, 1, 1), Ymd(32767, 12, 31),
        Ymd(2023, 2, 30), Ymd(2023, 13, 1),  // no such dates
    };
    // clang-format on
    for (const auto& date : kCases) {
        SCOPED_TRACE(DateText(date));
        EXPECT_FALSE(SolarToLunar(date).has_value());
    }
}

// Walks every day of the range and checks that the lunar dates form a calendar: days
// count up by one inside a month, months have 29 or 30 days and follow each other in
// order, a year has 12 or 13 months with at most one leap month, which follows the
// regular month of its number, and each lunar year starts between 21 January and
// 20 February of its Gregorian year.
TEST(SolarToLunar, EveryDayOfTheRangeFollowsTheCalendarRules) {
    const auto start = SolarToLunar(kFirstLunarDate);
    ASSERT_TRUE(start.has_value());
    EXPECT_EQ(*start, (LunarDate{1901, 1, false, 1}));

    LunarDate previous = *start;
    int monthsInYear = 1;
    int leapMonthsInYear = 0;
    std::set<int> yearsSeen{1901};
    for (sys_days d = sys_days{kFirstLunarDate} + days{1}; d <= sys_days{kLastLunarDate};
         d += days{1}) {
        const year_month_day date{d};
        const auto lunar = SolarToLunar(date);
        // Built only when an assertion fails: a trace per day would slow the walk down.
        const auto where = [&] {
            return DateText(date) + " after " + testing::PrintToString(previous);
        };
        ASSERT_TRUE(lunar.has_value()) << where();
        const LunarDate now = *lunar;

        if (now.day != 1) {
            ASSERT_EQ(now.day, previous.day + 1) << where();
            ASSERT_EQ(now.month, previous.month) << where();
            ASSERT_EQ(now.leap, previous.leap) << where();
            ASSERT_EQ(now.year, previous.year) << where();
            ASSERT_LE(now.day, 30) << where();
            previous = now;
            continue;
        }

        // A new month: the one before had 29 or 30 days.
        ASSERT_TRUE(previous.day == 29 || previous.day == 30) << where();
        if (now.month == 1 && !now.leap) {
            ASSERT_EQ(now.year, previous.year + 1) << where();
            ASSERT_EQ(previous.month, 12) << where();
            ASSERT_TRUE(monthsInYear == 12 || monthsInYear == 13) << where();
            ASSERT_EQ(leapMonthsInYear, monthsInYear - 12) << where();
            EXPECT_EQ(leapMonthsInYear, LeapMonthOf(previous.year) == 0 ? 0 : 1) << where();
            EXPECT_EQ(now.year, static_cast<int>(date.year())) << where();
            EXPECT_GE(date, Ymd(now.year, 1, 21)) << where();
            EXPECT_LE(date, Ymd(now.year, 2, 20)) << where();
            monthsInYear = 1;
            leapMonthsInYear = 0;
            yearsSeen.insert(now.year);
        } else {
            ASSERT_EQ(now.year, previous.year) << where();
            if (now.leap) {
                ASSERT_FALSE(previous.leap) << where();
                ASSERT_EQ(now.month, previous.month) << where();
                ASSERT_EQ(now.month, LeapMonthOf(now.year)) << where();
                ++leapMonthsInYear;
            } else {
                ASSERT_EQ(now.month, previous.month + 1) << where();
            }
            ++monthsInYear;
        }
        previous = now;
    }
    EXPECT_EQ(previous, (LunarDate{2048, 11, false, 27}));
    EXPECT_EQ(yearsSeen.size(), 2048u - 1901u + 1u);
}

}  // namespace
}  // namespace velmora::calendar
