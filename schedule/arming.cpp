#include "schedule/arming.h"

#include "schedule/clock_tick.h"
#include "schedule/target_moment.h"
#include "schedule/texts.h"

namespace velmora::schedule {

namespace {

constexpr double kTolerance = 0.0000001;
constexpr int kExclamation = 48;

ArmingResult Refuse(std::string text, std::string title, bool focusBootHours = false) {
    ArmingResult result;
    result.refusal = ArmingRefusal{std::move(text), std::move(title), kExclamation, focusBootHours};
    return result;
}

// The four texts of a computed moment: its date, and its hour, minute and
// second as plain numbers.
ScheduleTarget TargetOf(DateTime moment) {
    return {DateTimeToText(DateOnly(moment)),
            IntToText(HourOf(moment)),
            IntToText(MinuteOf(moment)),
            IntToText(SecondOf(moment)),
            {}};
}

std::optional<ArmingResult> ArmClockTime(const ArmingInput& in) {
    const DateTime today = DateOnly(in.lastClockReading);
    if (LinearDays(ClampDateTime(in.dateBoxValue)) < LinearDays(ClampDateTime(today))) {
        return Refuse("日期不能小于当前日期", "错误提示！");
    }
    if (AbsoluteValue(TextToNumber(in.hourText)) <= kTolerance) {
        return Refuse("小时不能为0", "错误提示！");
    }
    if (AbsoluteValue(TextToNumber(in.minuteText)) <= kTolerance &&
        TextToNumber(in.secondText) > kTolerance) {
        return Refuse("分钟不能为0", "错误提示！");
    }
    ArmingResult result;
    result.target = {
        DateTimeToText(in.dateBoxValue), in.hourText, in.minuteText, in.secondText, {}};
    return result;
}

std::optional<ArmingResult> ArmAfterBoot(const ArmingInput& in) {
    const double hours = TextToNumber(in.bootHoursText);
    if (hours - UptimeHours(in.uptimeMs) < -kTolerance) {
        return Refuse("开机后小时不得小于启动时间", "错误提示", true);
    }
    const double minutes = TextToNumber(in.bootMinutesText);
    const DateTime boot = BootTime(in.lastClockReading, in.uptimeMs);
    const DateTime moment =
        AddToDateTime(boot, DateTimeUnit::Minutes, TruncToInt(hours * 60 + minutes));
    ArmingResult result;
    result.target = TargetOf(moment);
    return result;
}

ArmingResult ArmCountdown(const ArmingInput& in) {
    const double total =
        (TextToNumber(in.countdownHoursText) * 3600 + TextToNumber(in.countdownMinutesText) * 60) +
        TextToNumber(in.countdownSecondsText);
    const DateTime moment =
        AddToDateTime(in.lastClockReading, DateTimeUnit::Seconds, TruncToInt(total));
    ArmingResult result;
    result.target = TargetOf(moment);
    return result;
}

// A task that runs once and whose moment is not ahead of the clock would sit
// armed forever; say so instead. The texts match the mode's own refusals.
std::optional<ArmingResult> RefuseIfPast(TimingMode mode, const ArmingInput& in, DateTime moment) {
    if (in.repetitionIndex != 0 || SecondsOf(moment) > SecondsOf(in.lastClockReading)) {
        return std::nullopt;
    }
    switch (mode) {
        case TimingMode::ClockTime:
            return Refuse("时间不能小于当前时间", "错误提示！");
        case TimingMode::AfterBoot:
            return Refuse("开机后小时不得小于启动时间", "错误提示", true);
        case TimingMode::Countdown:
            return Refuse("倒计时时间必须大于0", "错误提示！");
        case TimingMode::None:
            break;
    }
    return std::nullopt;
}

}  // namespace

ArmingResult Arm(const ArmingInput& input) {
    std::optional<ArmingResult> result;
    switch (input.mode) {
        case TimingMode::ClockTime:
            result = ArmClockTime(input);
            break;
        case TimingMode::AfterBoot:
            result = ArmAfterBoot(input);
            break;
        case TimingMode::Countdown:
            result = ArmCountdown(input);
            break;
        case TimingMode::None:
            return Refuse("还未设定任何关机方式！请选择后再尝试！", "提示框");
    }
    if (result->refusal) {
        return *result;
    }
    const ScheduleTarget& t = result->target;
    result->moment = TargetMoment(t.dateText, t.hourText, t.minuteText, t.secondText);
    if (auto past = RefuseIfPast(input.mode, input, result->moment)) {
        return *past;
    }
    return *result;
}

}  // namespace velmora::schedule
