#include "calendar/calendar_labels.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>

#include "test_dates.h"

namespace velmora::calendar {
namespace {

using std::chrono::year_month_day;
using testing_dates::DateText;
using testing_dates::Ymd;

struct LabelCase {
    year_month_day date;
    const char* lunar;
    const char* weekday;
};

void ExpectLabels(const LabelCase& c) {
    SCOPED_TRACE(DateText(c.date));
    const CalendarLabels labels = LabelsFor(c.date);
    EXPECT_EQ(labels.lunarText, c.lunar);
    EXPECT_EQ(labels.weekdayText, c.weekday);
}

TEST(LabelsFor, StartUpDatesAcrossYearMonthAndLeapBoundaries) {
    const LabelCase kCases[] = {
        {Ymd(2018, 5, 1), "戊戌年三月十六日", "星期二"},
        {Ymd(2018, 2, 15), "戊戌年腊月三十日", "星期四"},
        {Ymd(2020, 1, 30), "己亥年正月初六日", "星期四"},
        {Ymd(2020, 5, 23), "庚子年闰四月初一日", "星期六"},
        {Ymd(2023, 3, 22), "癸卯年闰二月初一日", "星期三"},
        {Ymd(2024, 1, 7), "癸卯年冬月廿六日", "星期日"},
        {Ymd(2024, 2, 3), "癸卯年腊月廿四日", "星期六"},
        {Ymd(2024, 2, 4), "甲辰年腊月廿五日", "星期日"},
        {Ymd(2024, 3, 29), "甲辰年二月二十日", "星期五"},
        {Ymd(2024, 4, 8), "甲辰年二月三十日", "星期一"},
        {Ymd(2025, 1, 29), "甲辰年正月初一日", "星期三"},
        {Ymd(2033, 12, 22), "癸丑年闰冬月初一日", "星期四"},
        {Ymd(1901, 2, 19), "辛丑年正月初一日", "星期二"},
        {Ymd(2048, 12, 31), "戊辰年冬月廿七日", "星期四"},
    };
    for (const auto& c : kCases) {
        ExpectLabels(c);
    }
}

// A wrongly set clock: the lunar label says so, the weekday label is written as usual.
TEST(LabelsFor, DatesOutsideTheLunarTablesKeepTheWeekday) {
    const std::string outside{kOutOfRangeText};
    const LabelCase kCases[] = {
        {Ymd(1901, 2, 18), outside.c_str(), "星期一"},
        {Ymd(2049, 1, 1), outside.c_str(), "星期五"},
        {Ymd(100, 1, 1), outside.c_str(), "星期五"},
        {Ymd(9999, 12, 31), outside.c_str(), "星期五"},
        {Ymd(2023, 2, 30), outside.c_str(), ""},  // no such day, so no weekday either
    };
    for (const auto& c : kCases) {
        ExpectLabels(c);
    }
}

// The label is 152 px wide with a 12 px font: room for 12 CJK characters, an ASCII
// character counting as half of one.
TEST(LabelsFor, OutOfRangeTextFitsTheLabel) {
    int halfWidths = 0;
    for (std::size_t i = 0; i < kOutOfRangeText.size();) {
        const auto lead = static_cast<unsigned char>(kOutOfRangeText[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
        halfWidths += length == 1 ? 1 : 2;
        i += length;
    }
    EXPECT_LE(halfWidths, 24) << kOutOfRangeText;
    EXPECT_NE(kOutOfRangeText.find("农历"), std::string_view::npos);
}

}  // namespace
}  // namespace velmora::calendar
