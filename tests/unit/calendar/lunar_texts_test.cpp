#include "calendar/lunar_texts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "calendar/weekday.h"
#include "test_dates.h"

namespace velmora::calendar {
namespace {

using std::chrono::year_month_day;
using testing_dates::DateText;
using testing_dates::Ymd;

TEST(CycleYearText, ChangesAtTheBeginningOfSpring) {
    const struct {
        year_month_day date;
        const char* text;
    } kCases[] = {
        {Ymd(1984, 6, 1), "甲子"},  // origin of the count
        {Ymd(1901, 2, 3), "庚子"},  // before the first Beginning of Spring
        {Ymd(1901, 2, 4), "辛丑"},
        {Ymd(1901, 2, 19), "辛丑"},
        {Ymd(1902, 2, 4), "辛丑"},  // spring of 1902 is on the 5th
        {Ymd(1902, 2, 5), "壬寅"},
        {Ymd(1980, 2, 4), "己未"},
        {Ymd(1980, 2, 5), "庚申"},
        {Ymd(2017, 2, 2), "丙申"},  // spring of 2017 is on the 3rd
        {Ymd(2017, 2, 3), "丁酉"},
        {Ymd(2018, 5, 1), "戊戌"},
        {Ymd(2024, 2, 3), "癸卯"},
        {Ymd(2024, 2, 4), "甲辰"},
        {Ymd(2025, 1, 29), "甲辰"},  // lunar new year's day, before spring
        {Ymd(2025, 2, 3), "乙巳"},
        {Ymd(2043, 12, 31), "癸亥"},  // last year of a cycle
        {Ymd(2044, 2, 4), "甲子"},    // and the first of the next
        {Ymd(2048, 12, 31), "戊辰"},
        {Ymd(1900, 12, 31), ""},  // no Beginning of Spring known for these years
        {Ymd(2049, 6, 1), ""},
        {Ymd(2023, 2, 29), ""},  // invalid date
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(DateText(c.date));
        EXPECT_EQ(CycleYearText(c.date), c.text);
    }
}

TEST(LunarMonthText, NamesEveryMonthAndMarksLeapMonths) {
    const struct {
        int month;
        bool leap;
        const char* text;
    } kCases[] = {
        {1, false, "正月"},  {2, false, "二月"},  {3, false, "三月"},   {4, false, "四月"},
        {5, false, "五月"},  {6, false, "六月"},  {7, false, "七月"},   {8, false, "八月"},
        {9, false, "九月"},  {10, false, "十月"}, {11, false, "冬月"},  {12, false, "腊月"},
        {1, true, "闰正月"}, {4, true, "闰四月"}, {11, true, "闰冬月"}, {12, true, "闰腊月"},
        {0, false, ""},      {13, false, ""},     {-1, true, ""},       {0, true, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.month << (c.leap ? " leap" : ""));
        EXPECT_EQ(LunarMonthText(c.month, c.leap), c.text);
    }
}

TEST(LunarDayText, NamesEveryDay) {
    const char* const kNames[] = {
        "初一", "初二", "初三", "初四", "初五", "初六", "初七", "初八", "初九", "初十",
        "十一", "十二", "十三", "十四", "十五", "十六", "十七", "十八", "十九", "二十",
        "廿一", "廿二", "廿三", "廿四", "廿五", "廿六", "廿七", "廿八", "廿九", "三十",
    };
    for (int day = 1; day <= 30; ++day) {
        SCOPED_TRACE(day);
        EXPECT_EQ(LunarDayText(day), kNames[day - 1]);
    }
    for (const int day : {0, 31, -1}) {
        SCOPED_TRACE(day);
        EXPECT_EQ(LunarDayText(day), "");
    }
}

TEST(WeekdayText, NumbersStartOnSunday) {
    const struct {
        int weekday;
        const char* text;
    } kCases[] = {
        {1, "日"}, {2, "一"}, {3, "二"}, {4, "三"}, {5, "四"},
        {6, "五"}, {7, "六"}, {0, ""},   {8, ""},   {-1, ""},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.weekday);
        EXPECT_EQ(WeekdayText(c.weekday), c.text);
    }
}

}  // namespace
}  // namespace velmora::calendar
