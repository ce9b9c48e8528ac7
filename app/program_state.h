#pragma once

#include <string>
#include <vector>

#include "schedule/date_time.h"
#include "schedule/schedule_target.h"

namespace velmora::app {

inline constexpr int kSettingsSlotCount = 21;

// The state that outlives a single handler. One instance, owned by main() and
// handed to the windows; tests make their own.
struct ProgramState {
    std::vector<std::string> settingsSlots =
        std::vector<std::string>(kSettingsSlotCount);  // SettingsSlots, slot 1 first
    schedule::ScheduleTarget scheduleTarget;           // ScheduleTarget
    schedule::DateTime lastClockReading = 0.0;         // LastClockReading
    int skinNumber = 0;                                // SkinNumber
    bool settingsFoundAtStart = false;                 // SettingsFoundAtStart
    std::string programFolder;
    std::string programFileName;
};

}  // namespace velmora::app
