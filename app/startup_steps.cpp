#include "app/startup_steps.h"

#include "app/calendar_step.h"
#include "app/power_step.h"
#include "app/schedule_step.h"
#include "app/settings_step.h"
#include "app/skin_step.h"

namespace velmora::app {

CreationHooks ProgramCreationHooks(Services& services) {
    CreationHooks hooks;
    hooks.startSkinning = StartSkinning;
    hooks.settingsStartUp = [&services](MainWindow& window) {
        SettingsStartUp(window, services, StartUpSkin);
    };
    hooks.rearmRepeatingTask = [](MainWindow& window) {
        if (auto* schedule = window.findChild<ScheduleController*>()) {
            schedule->rearmAtStartUp();
        }
    };
    hooks.calendarLabels = ShowCalendarLabels;
    return hooks;
}

void ConnectProgramHandlers(MainWindow& window, Services& services) {
    ConnectSaveButton(window, services);
    ConnectExecuteNowButton(window, services);
    AttachScheduleController(window, services);
}

}  // namespace velmora::app
