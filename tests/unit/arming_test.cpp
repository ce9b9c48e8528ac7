#include "schedule/arming.h"

#include <gtest/gtest.h>

#include <string>

#include "schedule/target_moment.h"
#include "schedule/texts.h"

namespace velmora::schedule {
namespace {

constexpr const char* kNoMode = "还未设定任何关机方式！请选择后再尝试！";

// The clock of every case: 2024-01-05 10:00:00, with 2 h 30 min of uptime (the
// machine started at 07:30:00).
ArmingInput At10() {
    ArmingInput in;
    in.lastClockReading = MakeDateTime(2024, 1, 5, 10, 0, 0);
    in.uptimeMs = 9'000'000;
    in.dateBoxValue = MakeDateTime(2024, 1, 5, 0, 0, 0);
    return in;
}

ArmingInput ClockTime(DateTime date, const char* h, const char* m, const char* s, int rep = 0) {
    ArmingInput in = At10();
    in.mode = TimingMode::ClockTime;
    in.dateBoxValue = date;
    in.hourText = h;
    in.minuteText = m;
    in.secondText = s;
    in.repetitionIndex = rep;
    return in;
}

ArmingInput AfterBoot(const char* h, const char* m, int rep = 0) {
    ArmingInput in = At10();
    in.mode = TimingMode::AfterBoot;
    in.bootHoursText = h;
    in.bootMinutesText = m;
    in.repetitionIndex = rep;
    return in;
}

ArmingInput Countdown(const char* h, const char* m, const char* s, int rep = 0) {
    ArmingInput in = At10();
    in.mode = TimingMode::Countdown;
    in.countdownHoursText = h;
    in.countdownMinutesText = m;
    in.countdownSecondsText = s;
    in.repetitionIndex = rep;
    return in;
}

const DateTime kToday = MakeDateTime(2024, 1, 5, 0, 0, 0);
const DateTime kTomorrow = MakeDateTime(2024, 1, 6, 0, 0, 0);
const DateTime kYesterday = MakeDateTime(2024, 1, 4, 0, 0, 0);

TEST(Arm, RefusesInTheFixedOrderWithTheFixedTexts) {
    const struct {
        const char* name;
        ArmingInput input;
        const char* text;
        const char* title;
        bool focusBootHours;
    } kCases[] = {
        {"no mode", At10(), kNoMode, "提示框", false},
        {"date before today, even with a zero hour", ClockTime(kYesterday, "0", "0", "30"),
         "日期不能小于当前日期", "错误提示！", false},
        {"hour 0", ClockTime(kTomorrow, "0", "5", "0"), "小时不能为0", "错误提示！", false},
        {"hour without digits", ClockTime(kTomorrow, "abc", "5", "0"), "小时不能为0", "错误提示！",
         false},
        {"minute 0 with a second", ClockTime(kTomorrow, "12", "0", "30"), "分钟不能为0",
         "错误提示！", false},
        {"after boot below the whole hours of uptime", AfterBoot("1", "0"),
         "开机后小时不得小于启动时间", "错误提示", true},
        // A task that runs once must lie ahead of the clock, or it never fires.
        {"once, clock time passed today", ClockTime(kToday, "9", "59", "59"),
         "时间不能小于当前时间", "错误提示！", false},
        {"once, clock time is this very second", ClockTime(kToday, "10", "0", "0"),
         "时间不能小于当前时间", "错误提示！", false},
        {"once, after boot in the past within the hour", AfterBoot("2", "0"),
         "开机后小时不得小于启动时间", "错误提示", true},
        {"once, countdown of nothing", Countdown("", "", ""), "倒计时时间必须大于0", "错误提示！",
         false},
        {"once, negative countdown", Countdown("0", "-5", "0"), "倒计时时间必须大于0", "错误提示！",
         false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const ArmingResult result = Arm(c.input);
        ASSERT_TRUE(result.refusal.has_value());
        EXPECT_EQ(result.refusal->text, c.text);
        EXPECT_EQ(result.refusal->title, c.title);
        EXPECT_EQ(result.refusal->style, 48);
        EXPECT_EQ(result.refusal->focusBootHours, c.focusBootHours);
    }
}

TEST(Arm, TargetsOfTheThreeModes) {
    const struct {
        const char* name;
        ArmingInput input;
        ScheduleTarget target;
        DateTime moment;
    } kCases[] = {
        {"clock time keeps the texts as typed",
         ClockTime(kTomorrow, "09", "05", "07"),
         {"2024年1月6日", "09", "05", "07", ""},
         MakeDateTime(2024, 1, 6, 9, 5, 7)},
        {"12:00:00 passes the minute check",
         ClockTime(kTomorrow, "12", "0", "0"),
         {"2024年1月6日", "12", "0", "0", ""},
         MakeDateTime(2024, 1, 6, 12, 0, 0)},
        {"hour 24 is midnight at the end of the day",
         ClockTime(kToday, "24", "0", "0"),
         {"2024年1月5日", "24", "0", "0", ""},
         kTomorrow},
        {"a date box carrying a time of day",
         ClockTime(kToday + 0.5, "23", "1", "0"),
         {"2024年1月5日12时", "23", "1", "0", ""},
         MakeDateTime(2024, 1, 5, 23, 1, 0)},
        {"after boot counts from the start of the machine",
         AfterBoot("3", "15"),
         {"2024年1月5日", "10", "45", "0", ""},
         MakeDateTime(2024, 1, 5, 10, 45, 0)},
        {"after boot accepts minutes above 59",
         AfterBoot("2", "90"),
         {"2024年1月5日", "11", "0", "0", ""},
         MakeDateTime(2024, 1, 5, 11, 0, 0)},
        {"countdown from the last clock reading",
         Countdown("0", "10", "0"),
         {"2024年1月5日", "10", "10", "0", ""},
         MakeDateTime(2024, 1, 5, 10, 10, 0)},
        {"countdown values are not limited",
         Countdown("1", "90", "90"),
         {"2024年1月5日", "12", "31", "30", ""},
         MakeDateTime(2024, 1, 5, 12, 31, 30)},
        {"countdown of one second",
         Countdown("", "", "1"),
         {"2024年1月5日", "10", "0", "1", ""},
         MakeDateTime(2024, 1, 5, 10, 0, 1)},
        {"countdown across midnight",
         Countdown("14", "0", "0"),
         {"2024年1月6日", "0", "0", "0", ""},
         kTomorrow},
        // A repeating task is not refused for a time that has passed today: it
        // fires tomorrow.
        {"daily time passed today",
         ClockTime(kToday, "9", "0", "0", 1),
         {"2024年1月5日", "9", "0", "0", ""},
         MakeDateTime(2024, 1, 5, 9, 0, 0)},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const ArmingResult result = Arm(c.input);
        ASSERT_FALSE(result.refusal.has_value()) << result.refusal->text;
        EXPECT_EQ(result.target.dateText, c.target.dateText);
        EXPECT_EQ(result.target.hourText, c.target.hourText);
        EXPECT_EQ(result.target.minuteText, c.target.minuteText);
        EXPECT_EQ(result.target.secondText, c.target.secondText);
        EXPECT_EQ(SecondsOf(result.moment), SecondsOf(c.moment));
    }
}

TEST(Arm, AfterBootComparesWholeHoursOnly) {
    // 2 h 30 min of uptime: 2 hours passes the hours check (the target then lies
    // in the past, which a repeating task accepts), 1 hour does not.
    EXPECT_FALSE(Arm(AfterBoot("2", "0", 1)).refusal.has_value());
    EXPECT_TRUE(Arm(AfterBoot("1", "59", 1)).refusal.has_value());
}

TEST(TargetMoment, ReadsTheTextsAsNumbers) {
    const struct {
        const char* date;
        const char* h;
        const char* m;
        const char* s;
        DateTime expected;
    } kCases[] = {
        // These join to the same text "2024年1月5日1150" but are different moments.
        {"2024年1月5日", "1", "15", "0", MakeDateTime(2024, 1, 5, 1, 15, 0)},
        {"2024年1月5日", "11", "5", "0", MakeDateTime(2024, 1, 5, 11, 5, 0)},
        {"2024年1月5日", "05", "05", "05", MakeDateTime(2024, 1, 5, 5, 5, 5)},
        {"2024年1月5日", "24", "0", "0", MakeDateTime(2024, 1, 6, 0, 0, 0)},
        {"2024年12月31日", "24", "30", "0", MakeDateTime(2025, 1, 1, 0, 30, 0)},
        {"2024年1月5日", "0.5", "", "", MakeDateTime(2024, 1, 5, 0, 0, 0)},
        {"2024年1月5日", "12", "75", "0", MakeDateTime(2024, 1, 5, 12, 59, 0)},
        {"not a date", "12", "0", "0", MakeDateTime(100, 1, 1, 12, 0, 0)},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.h + ":" + c.m + ":" + c.s);
        EXPECT_EQ(SecondsOf(TargetMoment(c.date, c.h, c.m, c.s)), SecondsOf(c.expected));
    }
}

}  // namespace
}  // namespace velmora::schedule
