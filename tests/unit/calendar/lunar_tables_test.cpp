#include "calendar/lunar_tables.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <numeric>
#include <vector>

namespace velmora::calendar {
namespace {

using std::chrono::February;
using std::chrono::year;
using std::chrono::year_month_day;

// Years whose month lengths are known from the published calendar, chosen to cover
// a year without a leap month and leap months early, in the middle and late in the year.
const struct {
    int year;
    std::uint16_t word;
    int leapMonth;
    std::vector<int> lengths;  // calendar order, the leap month after its regular month
} kKnownYears[] = {
    {1901, 0x4ae0, 0, {29, 30, 29, 29, 30, 29, 30, 29, 30, 30, 30, 29}},
    {2017, 0x52b8, 6, {29, 30, 29, 30, 29, 29, 30, 29, 30, 29, 30, 30, 30}},
    {2020, 0x74a8, 4, {29, 30, 30, 30, 29, 30, 29, 29, 30, 29, 30, 29, 30}},
    {2023, 0x4da8, 2, {29, 30, 29, 29, 30, 30, 29, 30, 30, 29, 30, 29, 30}},
    {2033, 0x4ae8, 11, {29, 30, 29, 29, 30, 29, 30, 29, 30, 30, 30, 29, 30}},
};

std::size_t IndexOf(int lunarYear) {
    return static_cast<std::size_t>(lunarYear - kFirstLunarYear);
}

// The leap month as stored: the high half of the byte for the earlier year of a pair.
int StoredLeapMonth(int lunarYear) {
    const std::size_t i = IndexOf(lunarYear);
    return (LeapMonthTable[i / 2] >> (i % 2 == 0 ? 4 : 0)) & 0x0f;
}

TEST(LunarTables, KnownYearsMatchThePublishedCalendar) {
    for (const auto& row : kKnownYears) {
        SCOPED_TRACE(row.year);
        EXPECT_EQ(LunarMonthTable[IndexOf(row.year)], row.word);
        EXPECT_EQ(StoredLeapMonth(row.year), row.leapMonth);
        EXPECT_EQ(LeapMonthOf(row.year), row.leapMonth);
        ASSERT_EQ(MonthCountOf(row.year), static_cast<int>(row.lengths.size()));
        for (std::size_t i = 0; i < row.lengths.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(MonthLengthOf(row.year, static_cast<int>(i)), row.lengths[i]);
        }
        EXPECT_EQ(YearLengthOf(row.year),
                  std::accumulate(row.lengths.begin(), row.lengths.end(), 0));
    }
}

TEST(LunarTables, EveryYearIsAWellFormedLunarYear) {
    for (int y = kFirstLunarYear; y <= kLastLunarYear; ++y) {
        SCOPED_TRACE(y);
        const int leap = LeapMonthOf(y);
        ASSERT_GE(leap, 0);
        ASSERT_LE(leap, 12);
        // Bits below the last month are unused and must stay clear.
        const std::uint16_t unused = leap == 0 ? 0x000f : 0x0007;
        EXPECT_EQ(LunarMonthTable[IndexOf(y)] & unused, 0);
        // Twelve lunations are about 354.4 days, thirteen about 383.9.
        const int days = YearLengthOf(y);
        if (leap == 0) {
            EXPECT_TRUE(days >= 353 && days <= 355) << days;
        } else {
            EXPECT_TRUE(days >= 383 && days <= 385) << days;
        }
    }
    // 149 years fill 74.5 bytes; the half byte after 2049 stays empty.
    EXPECT_EQ(LeapMonthTable.back() & 0x0f, 0);
}

TEST(LunarTables, ReadingsOutsideTheTablesAreZero) {
    const struct {
        int year;
        int monthIndex;
    } kCases[] = {{1900, 0}, {2050, 0}, {0, 0}, {2020, 13}, {2019, 12}, {2020, -1}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.year << " month index " << c.monthIndex);
        EXPECT_EQ(MonthLengthOf(c.year, c.monthIndex), 0);
    }
    for (const int y : {1900, 2050, -1}) {
        SCOPED_TRACE(y);
        EXPECT_EQ(LeapMonthOf(y), 0);
        EXPECT_EQ(MonthCountOf(y), 0);
        EXPECT_EQ(YearLengthOf(y), 0);
    }
}

TEST(LunarTables, BeginningOfSpring) {
    const struct {
        int year;
        unsigned day;  // of February; 0 = outside the list
    } kCases[] = {
        {1900, 0}, {1901, 4}, {1902, 5}, {1905, 4}, {1944, 5}, {1945, 4},
        {1980, 5}, {1981, 4}, {2016, 4}, {2017, 3}, {2018, 4}, {2024, 4},
        {2025, 3}, {2045, 3}, {2046, 4}, {2048, 4}, {2049, 0},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.year);
        const auto spring = BeginningOfSpring(year{c.year});
        if (c.day == 0) {
            EXPECT_FALSE(spring.has_value());
        } else {
            ASSERT_TRUE(spring.has_value());
            EXPECT_EQ(*spring, (year_month_day{year{c.year}, February, std::chrono::day{c.day}}));
        }
    }
}

}  // namespace
}  // namespace velmora::calendar
