#pragma once

#include <chrono>
#include <string>
#include <string_view>

// The two calendar labels of the main window, for the day the program started on.
namespace velmora::calendar {

struct CalendarLabels {
    std::string lunarText;    // 戊戌年三月十六日
    std::string weekdayText;  // 星期二
};

// Shown instead of a lunar date when the clock gives a date the tables do not cover
// (a wrongly set clock). Short enough for the 152 px label at a 12 px font.
inline constexpr std::string_view kOutOfRangeText = "超出农历范围(1901-2048)";

// lunarText: year text + 年 + month text + day text + 日 (lunar_texts.h), e.g.
// 庚子年闰四月初一日 for 2020-05-23; kOutOfRangeText outside kFirstLunarDate ...
// kLastLunarDate. weekdayText: 星期 + WeekdayText of the date's weekday, for every
// valid date (2049-01-01 gives 星期五); empty for an invalid date such as 2023-02-30.
CalendarLabels LabelsFor(std::chrono::year_month_day date);

}  // namespace velmora::calendar
