#pragma once

#include <array>
#include <chrono>
#include <string>
#include <string_view>

// The three texts of a lunar date, in UTF-8: the year's name in the sixty-year cycle,
// the month and the day. LabelsFor (calendar_labels.h) joins them into the label.
namespace velmora::calendar {

inline constexpr std::array<std::string_view, 10> kHeavenlyStems = {"甲", "乙", "丙", "丁", "戊",
                                                                    "己", "庚", "辛", "壬", "癸"};
inline constexpr std::array<std::string_view, 12> kEarthlyBranches = {
    "子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥"};

// Stem and branch of the year the date falls in, where the year changes at the
// Beginning of Spring (BeginningOfSpring), not at the lunar new year; 1984 is 甲子.
// Example: 2024-02-03 gives 癸卯, 2024-02-04 甲辰, 2025-01-29 (lunar new year) still
// 甲辰. Empty for dates outside the years 1901 ... 2048 and for invalid dates.
std::string CycleYearText(std::chrono::year_month_day date);

// 正月, 二月 ... 十月, 冬月, 腊月 for months 1-12, after 闰 when leap is set: 闰四月,
// 闰冬月. Empty for a month outside 1-12.
std::string LunarMonthText(int month, bool leap);

// 初一 ... 初十, 十一 ... 十九, 二十, 廿一 ... 廿九, 三十 for days 1-30; empty otherwise.
std::string LunarDayText(int day);

}  // namespace velmora::calendar
