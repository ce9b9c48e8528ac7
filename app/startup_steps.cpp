#include "app/startup_steps.h"

#include "app/calendar_step.h"
#include "app/power_step.h"
#include "app/schedule_step.h"
#include "app/settings_step.h"

namespace velmora::app {

CreationHooks ProgramCreationHooks(Services& services) {
    CreationHooks hooks;
    hooks.settingsStartUp = [&services](MainWindow& window) {
        // Without settings the start-up skin is skin 8. Drawing skins comes
        // with the skin library; the number is kept already, so that a first
        // save writes 8 and not 0.
        SettingsStartUp(window, services, [](MainWindow& started) {
            if (!started.state().settingsFoundAtStart) {
                started.state().skinNumber = 8;
            }
        });
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
