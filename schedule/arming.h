#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "schedule/date_time.h"
#include "schedule/schedule_target.h"

namespace velmora::schedule {

// Which of the three timing modes the radio buttons chose.
enum class TimingMode { None, ClockTime, AfterBoot, Countdown };

// What the start button reads: the chosen mode, the boxes of all three modes,
// the repetition (0 once, 1 daily, 2 weekly), and the clock as the last tick
// saw it. Box texts are taken exactly as typed.
struct ArmingInput {
    TimingMode mode = TimingMode::None;
    DateTime dateBoxValue = 0.0;
    std::string hourText;
    std::string minuteText;
    std::string secondText;
    std::string bootHoursText;
    std::string bootMinutesText;
    std::string countdownHoursText;
    std::string countdownMinutesText;
    std::string countdownSecondsText;
    int repetitionIndex = 0;
    DateTime lastClockReading = 0.0;
    std::uint32_t uptimeMs = 0;
};

// A refusal, shown in a message box; nothing of the schedule changes.
struct ArmingRefusal {
    std::string text;
    std::string title;
    int style = 48;
    bool focusBootHours = false;  // move the focus to the after-boot hours box afterwards
};

// Either a refusal, or the target to store and the moment it stands for.
struct ArmingResult {
    std::optional<ArmingRefusal> refusal;
    ScheduleTarget target;  // date, hour, minute and second texts; joinedText left empty
    DateTime moment = 0.0;  // TargetMoment of the target's texts
};

// Validates in a fixed order and reports the first failure:
//   no mode            "还未设定任何关机方式！请选择后再尝试！" / "提示框"
//   clock time         date before today, hour 0, minute 0 with a second above 0
//   after boot         hours below the whole hours of uptime
// then, for a task that runs once, a target that is not after lastClockReading
// (it could never fire). A repeating task is never refused for its time: a
// daily time that has passed today fires tomorrow.
//
// Targets: clock time takes the date box and the three texts as typed; after
// boot counts hours and minutes from the boot time (lastClockReading minus the
// uptime's whole seconds); the countdown counts from lastClockReading.
ArmingResult Arm(const ArmingInput& input);

}  // namespace velmora::schedule
