#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

// The published Chinese calendar for lunar years 1901 to 2049, as month lengths and
// leap months, and the date of the Beginning of Spring for Gregorian years 1901 to
// 2048. The data is generated and checked by tools/lunar_tables.py.
namespace velmora::calendar {

inline constexpr int kFirstLunarYear = 1901;
inline constexpr int kLastLunarYear = 2049;
inline constexpr std::size_t kLunarYearCount = kLastLunarYear - kFirstLunarYear + 1;  // 149
inline constexpr std::size_t kLeapMonthTableSize = (kLunarYearCount + 1) / 2;         // 75

// The first day of the first month of lunar year 1901.
inline constexpr std::chrono::year_month_day kFirstLunarNewYear{
    std::chrono::year{1901}, std::chrono::February, std::chrono::day{19}};

// One word per lunar year, kFirstLunarYear first. Bit 15 is the first month, each
// following month the next lower bit, a leap month right after the regular month of
// the same number; a set bit means 30 days, a clear one 29. A year with a leap month
// uses 13 bits, one without 12; the low bits left over are 0.
// Example: 2020 is 0x74a8 = 29 30 30 30, leap 29, 30 29 29 30 29 30 29 30.
extern const std::array<std::uint16_t, kLunarYearCount> LunarMonthTable;

// The number (1-12) of the month a leap month follows, 0 when the year has none; 4 bits
// per lunar year, two years to a byte, the earlier year in the high half.
// Example: byte 0x50 holds 1903 (leap month after month 5) and 1904 (none).
extern const std::array<std::uint8_t, kLeapMonthTableSize> LeapMonthTable;

// Readings of the two tables. Years outside kFirstLunarYear ... kLastLunarYear give 0,
// as does a month index outside 0 ... MonthCountOf(year) - 1.
int LeapMonthOf(int lunarYear);                    // 0 = no leap month; 2020 gives 4
int MonthCountOf(int lunarYear);                   // 12 or 13
int MonthLengthOf(int lunarYear, int monthIndex);  // 29 or 30; index in calendar order
int YearLengthOf(int lunarYear);                   // 353-355 or 383-385 days

// The calendar date in China Standard Time on which the sun reaches 315 degrees of
// ecliptic longitude (立春) in the given Gregorian year: 3, 4 or 5 February.
// Example: 2017 gives 2017-02-03. nullopt for years outside 1901 ... 2048.
std::optional<std::chrono::year_month_day> BeginningOfSpring(std::chrono::year year);

}  // namespace velmora::calendar
